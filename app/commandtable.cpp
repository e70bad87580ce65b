#include "commandtable.h"

using namespace Qt::StringLiterals;

namespace vk7 {

namespace {

QKeySequence Key(QKeyCombination combination)
{
    return QKeySequence(combination);
}

QList<CommandInfo> BuildTable()
{
    using R = EnablingRule;
    const QKeySequence none;
    QList<CommandInfo> table = {
        {kCmdOpen, u"&Abrir...\tCtrl+A"_s, Key(Qt::CTRL | Qt::Key_A),
         u"Abre un depósito digital ya existente"_s, u"Abrir"_s, R::Always, u"open"_s},
        {kCmdClose,
         u"&Cerrar"_s,
         none,
         u"Cierra el depósito digital activo"_s,
         u"Cerrar"_s,
         R::FormOpen,
         {}},
        {kCmdPrintSetup,
         u"Configurar &Impesora"_s,
         none,
         u"Selecciona la impresora para imprimir el depósito digital activo"_s,
         u"Configurar Impresora"_s,
         R::Always,
         {}},
        {kCmdDepositState, u"&Estado del Depósito\tCtrl+E"_s, Key(Qt::CTRL | Qt::Key_E),
         u"Muestra el estado del depósito digital activo"_s, u"Estado Depósito"_s, R::FormOpen,
         u"state"_s},
        {kCmdCheckRules, u"Comprobar &Reglas\tCtrl+R"_s, Key(Qt::CTRL | Qt::Key_R),
         u"Comprueba las reglas de coherencia primarias e implícitas del depósito digital activo"_s,
         u"Comprobar Reglas"_s, R::FormOpen, u"rules"_s},
        {kCmdReceptionRegister,
         u"Re&gistro de Recepciones..."_s,
         none,
         u"Muestra las recepciones registradas, con su resultado y su hoja de diagnóstico"_s,
         u"Registro de Recepciones"_s,
         R::Always,
         {}},
        {kCmdReceptionReport,
         u"I&nforme..."_s,
         none,
         u"Muestra, imprime y guarda el informe de las recepciones de unos días, con sus "
         u"gráficos"_s,
         u"Informe de Recepciones"_s,
         R::Always,
         {}},
        {kCmdExit,
         u"&Salir"_s,
         none,
         u"Sale de la aplicación; le pide que guarde el depósito digital"_s,
         u"Salir"_s,
         R::Always,
         {}},
        {kCmdToolBar,
         u"Barra de &herramientas"_s,
         none,
         u"Muestra u oculta la barra de herramientas"_s,
         u"Barra de herramientas"_s,
         R::Always,
         {}},
        {kCmdStatusBar,
         u"Barra de &estado"_s,
         none,
         u"Muestra u oculta la barra de estado"_s,
         u"Barra de estado"_s,
         R::Always,
         {}},
        {kCmdZoomIn, u"A&cercar"_s, none, u"Acercar la imagen de la página activa"_s,
         u"Acercar imagen"_s, R::FormOpen, u"zoom-in"_s},
        {kCmdZoomOut, u"Ale&jar"_s, none, u"Alejar la imagen de la página activa"_s,
         u"Alejar imagen"_s, R::FormOpen, u"zoom-out"_s},
        {kCmdFitWidth, u"Anc&hura pantalla"_s, none,
         u"Ver la página en la anchura de la pantalla"_s, u"Anchura pantalla"_s, R::FormOpen,
         u"fit-width"_s},
        {kCmdFullPage, u"&Página completa"_s, none, u"Ver la página completa en pantalla"_s,
         u"Página completa"_s, R::FormOpen, u"full-page"_s},
        {kCmdZoomWindow, u"Ampliar &ventana"_s, none, u"Acercar dibujando con el ratón"_s,
         u"Ampliar ventana"_s, R::FormOpen, u"zoom-window"_s},
        {kCmdPreviousPage, u"&Retoceso página"_s, Key(Qt::Key_PageUp),
         u"Pasa a la página anterior del depósito digital"_s, u"Re.Pág."_s, R::PreviousPage,
         u"previous-page"_s},
        {kCmdNextPage, u"&Avance página"_s, Key(Qt::Key_PageDown),
         u"Pasa a la página siguiente del depósito digital"_s, u"Av. Pág."_s, R::NextPage,
         u"next-page"_s},
        {kCmdScrollLineUp, {}, Key(Qt::CTRL | Qt::Key_Up), {}, {}, R::NoRule, {}},
        {kCmdScrollLineDown, {}, Key(Qt::CTRL | Qt::Key_Down), {}, {}, R::NoRule, {}},
        {kCmdScrollPageUp, {}, Key(Qt::CTRL | Qt::Key_PageUp), {}, {}, R::NoRule, {}},
        {kCmdScrollPageDown, {}, Key(Qt::CTRL | Qt::Key_PageDown), {}, {}, R::NoRule, {}},
        {kCmdScrollLeft, {}, Key(Qt::CTRL | Qt::Key_Left), {}, {}, R::NoRule, {}},
        {kCmdScrollRight, {}, Key(Qt::CTRL | Qt::Key_Right), {}, {}, R::NoRule, {}},
        {kCmdPageList,
         {},
         none,
         u"Cambio de página en el documento activo (F10)"_s,
         u"Cambio de página (F10)"_s,
         R::FormOpen,
         {}},
        {kCmdTextSizeList,
         {},
         none,
         u"Cambia el tamaño de texto del documento activo"_s,
         u"Cambia tamaño del texto"_s,
         R::FormOpen,
         {}},
        {kCmdPageListFocus, {}, Key(Qt::Key_F10), {}, {}, R::NoRule, {}},
    };
    // The Edit commands, as the document table gives them, before "Acerca de".
    for (const EditCommand &command : EditCommands()) {
        const DocumentKindInfo &document = DocumentKindOf(command.kind);
        table.append({command.id,
                      document.editCaption,
                      none,
                      document.editPrompt,
                      document.editToolTip,
                      R::FormOpen,
                      {}});
    }
    table.append({kCmdAbout,
                  u"&Acerca de VK7..."_s,
                  none,
                  u"Muestra la información del programa y su versión"_s,
                  u"Acerca de"_s,
                  R::Always,
                  {}});
    return table;
}

} // namespace

const QList<CommandInfo> &CommandTable()
{
    static const QList<CommandInfo> table = BuildTable();
    return table;
}

const CommandInfo *FindCommand(int id)
{
    for (const CommandInfo &command : CommandTable()) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

bool IsCommandEnabled(EnablingRule rule, const CommandContext &context)
{
    switch (rule) {
    case EnablingRule::Always:
    case EnablingRule::NoRule:
        return true;
    case EnablingRule::FormOpen:
        return context.formIdentified;
    case EnablingRule::PreviousPage:
        return context.formIdentified && context.currentPage > 1;
    case EnablingRule::NextPage:
        return context.formIdentified && context.currentPage < context.pageCount;
    }
    return false;
}

bool IsViewCommand(int id)
{
    switch (id) {
    case kCmdZoomIn:
    case kCmdZoomOut:
    case kCmdFitWidth:
    case kCmdFullPage:
    case kCmdZoomWindow:
    case kCmdPreviousPage:
    case kCmdNextPage:
    case kCmdScrollLineUp:
    case kCmdScrollLineDown:
    case kCmdScrollPageUp:
    case kCmdScrollPageDown:
    case kCmdScrollLeft:
    case kCmdScrollRight:
    case kCmdPageList:
    case kCmdPageListFocus:
        return true;
    default:
        return false;
    }
}

bool IsCommandChecked(int id, const CommandContext &context)
{
    return id == kCmdZoomWindow && context.zoomWindowMode && context.formIdentified;
}

const QList<MenuLayout> &MainMenu()
{
    static const QList<MenuLayout> menu = {
        {u"&Formulario"_s,
         {kCmdOpen, kCmdClose, 0, kCmdPrintSetup, 0, kCmdDepositState, kCmdCheckRules, 0,
          kCmdExit}},
        {u"&Ver"_s,
         {kCmdToolBar, kCmdStatusBar, kCmdZoomIn, kCmdZoomOut, kCmdFitWidth, kCmdFullPage,
          kCmdZoomWindow}},
        {u"&Página"_s, {kCmdPreviousPage, kCmdNextPage}},
        {u"&Edición"_s, {-1, -2}},
        {u"&Ayuda"_s, {kCmdAbout}},
    };
    return menu;
}

MenuPlace RegisterMenuPlace()
{
    return {0, kCmdCheckRules};
}

const QStringList &SubMenuTitles()
{
    static const QStringList titles = {u"&Imágenes"_s, u"&Texto"_s};
    return titles;
}

const QList<QList<int>> &SubMenuEntries()
{
    // "&Imágenes" and "&Texto": the Edit commands of the image sets and of
    // the texts, in the table's order.
    static const QList<QList<int>> entries = [] {
        QList<QList<int>> menus(2);
        for (const EditCommand &command : EditCommands())
            menus[command.imageSet ? 0 : 1].append(command.id);
        return menus;
    }();
    return entries;
}

const QList<int> &ToolBarLayout()
{
    static const QList<int> layout = {kCmdOpen,
                                      0,
                                      kCmdDepositState,
                                      0,
                                      kCmdCheckRules,
                                      0,
                                      kCmdZoomIn,
                                      kCmdZoomOut,
                                      kCmdFullPage,
                                      kCmdFitWidth,
                                      kCmdZoomWindow,
                                      0,
                                      kCmdPreviousPage,
                                      kCmdNextPage,
                                      0,
                                      kCmdPageList,
                                      0,
                                      kCmdTextSizeList};
    return layout;
}

const QList<EditCommand> &EditCommands()
{
    // The image sets first, then the texts, each in the table's order.
    static const QList<EditCommand> commands = [] {
        QList<EditCommand> list;
        for (const bool images : {true, false}) {
            for (const DocumentKindInfo &document : DocumentKinds()) {
                if (document.editCommand != 0 && document.images == images)
                    list.append({document.editCommand, images, document.kind});
            }
        }
        return list;
    }();
    return commands;
}

} // namespace vk7
