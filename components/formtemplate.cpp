#include "components/formtemplate.h"

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include "reception/failure.h"

using namespace Qt::StringLiterals;

namespace vk7 {

int FormTemplate::CountPages(PageBlock block) const
{
    int count = 0;
    for (const TemplatePage &page : pages)
        count += page.block == block ? 1 : 0;
    return count;
}

namespace {

constexpr int kMaxIncludeDepth = 8;

struct Token
{
    QString text;
    bool quoted = false;
};

// Splits one line into words and quoted texts; "#" outside quotes starts a
// comment. Inside quotes, \" and \\ stand for " and \.
bool Tokenize(const QString &line, QList<Token> *tokens, QString *error)
{
    qsizetype i = 0;
    const qsizetype n = line.size();
    while (i < n) {
        const QChar c = line.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'#')
            break;
        Token token;
        if (c == u'"') {
            token.quoted = true;
            ++i;
            bool closed = false;
            while (i < n) {
                const QChar d = line.at(i);
                if (d == u'\\' && i + 1 < n &&
                    (line.at(i + 1) == u'"' || line.at(i + 1) == u'\\')) {
                    token.text += line.at(i + 1);
                    i += 2;
                    continue;
                }
                if (d == u'"') {
                    closed = true;
                    ++i;
                    break;
                }
                token.text += d;
                ++i;
            }
            if (!closed) {
                *error = u"comillas sin cerrar"_s;
                return false;
            }
        } else {
            while (i < n && !line.at(i).isSpace() && line.at(i) != u'"')
                token.text += line.at(i++);
        }
        tokens->append(token);
    }
    return true;
}

class Parser
{
public:
    Parser(QString folder, FormTemplate *result) : folder_(std::move(folder)), form_(result) {}

    bool ParseText(const QString &file, const QString &text, int depth);
    bool ParseFile(const QString &file, int depth);
    bool Finish();
    QString error;
    Failure ioFailure; // a template file the machine would not let be read

private:
    bool Fail(const QString &message)
    {
        error = where_ + u": "_s + message;
        return false;
    }
    bool Line(const QList<Token> &tokens, int depth);
    bool Number(const Token &token, const QString &what, int *value);
    bool Rect(const QList<Token> &tokens, int first, QRect *rect);
    bool NeedPage();
    bool Options(const QList<Token> &tokens, int first, TextAlign *align, int *size, bool *bold,
                 bool *italic, int *width, bool *shaded, int *height, QString *required);

    QString folder_;
    FormTemplate *form_;
    QString where_;
    QStringList openFiles_;
};

bool Parser::Number(const Token &token, const QString &what, int *value)
{
    bool ok = false;
    const int v = token.quoted ? 0 : token.text.toInt(&ok, 10);
    if (!ok)
        return Fail(what + u": no es un número: «"_s + token.text + u"»"_s);
    *value = v;
    return true;
}

bool Parser::Rect(const QList<Token> &tokens, int first, QRect *rect)
{
    if (tokens.size() < first + 4)
        return Fail(u"faltan coordenadas (x y ancho alto)"_s);
    int v[4];
    for (int i = 0; i < 4; ++i) {
        if (!Number(tokens.at(first + i), u"coordenada"_s, &v[i]))
            return false;
    }
    if (v[2] <= 0 || v[3] <= 0)
        return Fail(u"ancho y alto deben ser positivos"_s);
    if (v[0] < 0 || v[1] < 0 || v[0] + v[2] > kFormPageWidth || v[1] + v[3] > kFormPageHeight)
        return Fail(u"elemento fuera de la página"_s);
    *rect = QRect(v[0], v[1], v[2], v[3]);
    return true;
}

bool Parser::NeedPage()
{
    if (form_->pages.isEmpty())
        return Fail(u"elemento antes de la primera página"_s);
    return true;
}

// Options after the fixed arguments of an element. Each pointer that is null
// marks an option the element does not take.
bool Parser::Options(const QList<Token> &tokens, int first, TextAlign *align, int *size, bool *bold,
                     bool *italic, int *width, bool *shaded, int *height, QString *required)
{
    for (int i = first; i < tokens.size(); ++i) {
        const Token &t = tokens.at(i);
        const QString word = t.quoted ? QString() : t.text;
        auto numberAfter = [&](const QString &prefix, int *out) {
            const Token value{word.mid(prefix.size()), false};
            if (!Number(value, prefix.left(prefix.size() - 1), out))
                return false;
            if (*out <= 0)
                return Fail(prefix.left(prefix.size() - 1) + u" debe ser positivo"_s);
            return true;
        };
        if (align && word == u"left"_s) {
            *align = TextAlign::Left;
        } else if (align && word == u"center"_s) {
            *align = TextAlign::Center;
        } else if (align && word == u"right"_s) {
            *align = TextAlign::Right;
        } else if (bold && word == u"bold"_s) {
            *bold = true;
        } else if (italic && word == u"italic"_s) {
            *italic = true;
        } else if (shaded && word == u"shaded"_s) {
            *shaded = true;
        } else if (size && word.startsWith(u"size="_s)) {
            if (!numberAfter(u"size="_s, size))
                return false;
        } else if (width && word.startsWith(u"width="_s)) {
            if (!numberAfter(u"width="_s, width))
                return false;
        } else if (height && word.startsWith(u"height="_s)) {
            if (!numberAfter(u"height="_s, height))
                return false;
        } else if (required && word == u"required"_s) {
            if (i + 1 >= tokens.size() || !tokens.at(i + 1).quoted ||
                tokens.at(i + 1).text.trimmed().isEmpty())
                return Fail(u"«required» necesita la etiqueta del campo entre comillas"_s);
            *required = tokens.at(++i).text;
        } else {
            return Fail(u"opción desconocida: «"_s + t.text + u"»"_s);
        }
    }
    return true;
}

bool Parser::Line(const QList<Token> &tokens, int depth)
{
    const Token &head = tokens.first();
    const QString word = head.quoted ? QString() : head.text;

    if (word == u"form"_s) {
        if (tokens.size() != 2 || !tokens.at(1).quoted)
            return Fail(u"uso: form \"título\""_s);
        form_->title = tokens.at(1).text;
        return true;
    }
    if (word == u"include"_s) {
        if (tokens.size() != 2)
            return Fail(u"uso: include FICHERO"_s);
        const QString file = tokens.at(1).text;
        // Included pages come from the same folder, never from elsewhere.
        if (file.isEmpty() || file.contains(u'/') || file.contains(u'\\') || file.startsWith(u'.'))
            return Fail(u"nombre de fichero incluido no válido: «"_s + file + u"»"_s);
        if (depth >= kMaxIncludeDepth || openFiles_.contains(file, Qt::CaseInsensitive))
            return Fail(u"inclusión circular o demasiado profunda: «"_s + file + u"»"_s);
        const QString saved = where_;
        if (!ParseFile(file, depth + 1)) {
            if (error.isEmpty())
                error = saved + u": no se puede incluir «"_s + file + u"»"_s;
            return false;
        }
        where_ = saved;
        return true;
    }
    if (word == u"listing"_s) {
        if (tokens.size() < 4)
            return Fail(u"uso: listing NOMBRE DESDE HASTA [previous]"_s);
        TemplateListing listing;
        listing.name = tokens.at(1).text;
        for (const TemplateListing &other : std::as_const(form_->listings)) {
            if (other.name == listing.name)
                return Fail(u"listado repetido: «"_s + listing.name + u"»"_s);
        }
        if (!Number(tokens.at(2), u"clave"_s, &listing.from) ||
            !Number(tokens.at(3), u"clave"_s, &listing.to))
            return false;
        if (listing.from <= 0 || listing.to < listing.from || listing.to > 99999999)
            return Fail(u"intervalo de claves no válido"_s);
        for (int i = 4; i < tokens.size(); ++i) {
            if (tokens.at(i).quoted || tokens.at(i).text != u"previous"_s)
                return Fail(u"opción desconocida: «"_s + tokens.at(i).text + u"»"_s);
            listing.previous = true;
        }
        form_->listings.append(listing);
        return true;
    }
    if (word == u"page"_s) {
        if (tokens.size() != 3 || !tokens.at(2).quoted)
            return Fail(u"uso: page first|shares|screen \"título\""_s);
        TemplatePage page;
        const QString block = tokens.at(1).text;
        if (block == u"first"_s)
            page.block = PageBlock::First;
        else if (block == u"shares"_s)
            page.block = PageBlock::Shares;
        else if (block == u"screen"_s)
            page.block = PageBlock::Screen;
        else
            return Fail(u"bloque de página desconocido: «"_s + block + u"»"_s);
        // Printing picks pages by position, so blocks must come in order.
        if (!form_->pages.isEmpty() && form_->pages.constLast().block > page.block)
            return Fail(u"bloque de página fuera de orden"_s);
        page.title = tokens.at(2).text;
        form_->pages.append(page);
        return true;
    }
    if (word == u"text"_s || word == u"heading"_s || word == u"pagenumber"_s ||
        word == u"formtitle"_s) {
        if (!NeedPage())
            return false;
        TemplateText text;
        if (!Rect(tokens, 1, &text.box))
            return false;
        int next = 5;
        if (word == u"pagenumber"_s) {
            text.content = TemplateText::Content::PageNumber;
        } else if (word == u"formtitle"_s) {
            text.content = TemplateText::Content::FormTitle;
        } else {
            if (tokens.size() <= next || !tokens.at(next).quoted)
                return Fail(u"falta el texto entre comillas"_s);
            text.text = tokens.at(next++).text;
        }
        if (word == u"heading"_s) {
            text.bold = true;
            text.size = 40;
            text.align = TextAlign::Center;
        }
        if (!Options(tokens, next, &text.align, &text.size, &text.bold, &text.italic, nullptr,
                     nullptr, nullptr, nullptr))
            return false;
        form_->pages.last().texts.append(text);
        return true;
    }
    if (word == u"box"_s) {
        if (!NeedPage())
            return false;
        TemplateBox box;
        if (!Rect(tokens, 1, &box.box) || !Options(tokens, 5, nullptr, nullptr, nullptr, nullptr,
                                                   &box.width, &box.shaded, nullptr, nullptr))
            return false;
        form_->pages.last().boxes.append(box);
        return true;
    }
    if (word == u"line"_s) {
        if (!NeedPage())
            return false;
        if (tokens.size() < 5)
            return Fail(u"uso: line X1 Y1 X2 Y2 [width=N]"_s);
        int v[4];
        for (int i = 0; i < 4; ++i) {
            if (!Number(tokens.at(1 + i), u"coordenada"_s, &v[i]))
                return false;
        }
        for (int i = 0; i < 4; i += 2) {
            if (v[i] < 0 || v[i] > kFormPageWidth || v[i + 1] < 0 || v[i + 1] > kFormPageHeight)
                return Fail(u"elemento fuera de la página"_s);
        }
        TemplateLine line{QPoint(v[0], v[1]), QPoint(v[2], v[3])};
        if (!Options(tokens, 5, nullptr, nullptr, nullptr, nullptr, &line.width, nullptr, nullptr,
                     nullptr))
            return false;
        form_->pages.last().lines.append(line);
        return true;
    }
    if (word == u"field"_s) {
        if (!NeedPage())
            return false;
        if (tokens.size() < 7)
            return Fail(u"uso: field CLAVE X Y ANCHO ALTO text|amount|mark|date|barcode"_s);
        TemplateField field;
        if (!Number(tokens.at(1), u"clave"_s, &field.key))
            return false;
        if (field.key <= 0 || field.key > 99999999)
            return Fail(u"clave fuera de rango: "_s + tokens.at(1).text);
        if (!Rect(tokens, 2, &field.box))
            return false;
        const QString kind = tokens.at(6).text;
        if (kind == u"text"_s) {
            field.kind = FieldKind::Text;
        } else if (kind == u"amount"_s) {
            field.kind = FieldKind::Amount;
            field.align = TextAlign::Right;
        } else if (kind == u"mark"_s) {
            field.kind = FieldKind::Mark;
            field.align = TextAlign::Center;
        } else if (kind == u"date"_s) {
            field.kind = FieldKind::Date;
            field.align = TextAlign::Center;
        } else if (kind == u"barcode"_s) {
            field.kind = FieldKind::Barcode;
        } else {
            return Fail(u"tipo de campo desconocido: «"_s + kind + u"»"_s);
        }
        if (!Options(tokens, 7, &field.align, &field.size, nullptr, nullptr, nullptr, nullptr,
                     nullptr, &field.label))
            return false;
        field.required = !field.label.isEmpty();
        field.where = where_;
        form_->pages.last().fields.append(field);
        return true;
    }
    if (word == u"rows"_s) {
        if (!NeedPage())
            return false;
        if (tokens.size() < 6)
            return Fail(u"uso: rows LISTADO X Y ANCHO ALTO [height=N]"_s);
        TemplateRows rows;
        for (int i = 0; i < form_->listings.size(); ++i) {
            if (form_->listings.at(i).name == tokens.at(1).text)
                rows.listing = i;
        }
        if (rows.listing < 0)
            return Fail(u"listado no declarado: «"_s + tokens.at(1).text + u"»"_s);
        if (!Rect(tokens, 2, &rows.box) || !Options(tokens, 6, nullptr, nullptr, nullptr, nullptr,
                                                    nullptr, nullptr, &rows.rowHeight, nullptr))
            return false;
        // A heading row and at least one row of data.
        if (rows.box.height() < 2 * rows.rowHeight)
            return Fail(u"zona de filas demasiado baja para su altura de fila"_s);
        form_->pages.last().rows.append(rows);
        return true;
    }
    return Fail(u"elemento desconocido: «"_s + head.text + u"»"_s);
}

bool Parser::ParseText(const QString &file, const QString &text, int depth)
{
    openFiles_.append(file);
    const QStringList lines = text.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        where_ = file + u':' + QString::number(i + 1);
        QString line = lines.at(i);
        if (line.endsWith(u'\r'))
            line.chop(1);
        QList<Token> tokens;
        QString tokenError;
        if (!Tokenize(line, &tokens, &tokenError))
            return Fail(tokenError);
        if (tokens.isEmpty())
            continue;
        if (!Line(tokens, depth))
            return false;
    }
    openFiles_.removeLast();
    return true;
}

bool Parser::ParseFile(const QString &file, int depth)
{
    // Template names are upper case; a copy on a case-insensitive medium may
    // not be, so the name is matched regardless of case.
    QDir dir(folder_);
    QString found;
    if (QFileInfo::exists(dir.filePath(file))) {
        found = dir.filePath(file);
    } else {
        const QStringList entries = dir.entryList(QDir::Files);
        for (const QString &entry : entries) {
            if (entry.compare(file, Qt::CaseInsensitive) == 0) {
                found = dir.filePath(entry);
                break;
            }
        }
    }
    QFile in(found);
    if (!found.isEmpty() && !in.open(QIODevice::ReadOnly)) {
        // The template is there: the machine would not let it be read.
        ioFailure.KeepFirst(Failure::Io(found, errno));
    }
    if (found.isEmpty() || !in.isOpen()) {
        error = (where_.isEmpty() ? file : where_) + u": no se encuentra la plantilla «"_s + file +
                u"» en "_s + folder_;
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        ioFailure.KeepFirst(Failure::Io(found, errno));
        error = found + u": "_s + in.errorString();
        return false;
    }
    return ParseText(file, QString::fromUtf8(bytes), depth);
}

bool Parser::Finish()
{
    if (form_->pages.isEmpty()) {
        error = form_->name + u": la plantilla no tiene páginas"_s;
        return false;
    }
    return true;
}

} // namespace

Failure ParseFormTemplate(const QString &hostFolder, const QString &name, FormTemplate *result)
{
    // A form is a name inside the folder, never a path leading out of it.
    if (name.isEmpty() || name.contains(u'/') || name.contains(u'\\') || name.startsWith(u'.'))
        return Failure::Data(name + u": nombre de formulario no válido"_s, name);
    FormTemplate form;
    form.name = name;
    Parser parser(hostFolder, &form);
    if (!parser.ParseFile(name, 0) || !parser.Finish())
        return parser.ioFailure.IsIo() ? parser.ioFailure : Failure::Data(parser.error, name);
    *result = std::move(form);
    return {};
}

Failure ParseFormTemplateText(const QString &hostFolder, const QString &name, const QString &text,
                              FormTemplate *result)
{
    FormTemplate form;
    form.name = name;
    Parser parser(hostFolder, &form);
    if (!parser.ParseText(name, text, 0) || !parser.Finish())
        return Failure::Data(parser.error, name);
    *result = std::move(form);
    return {};
}

} // namespace vk7
