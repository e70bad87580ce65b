#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStringList>

#include "reception/documentkind.h"

namespace vk7 {

// The frame's command ids. The Edit menu's commands are not here: each is
// declared once, in its document's row (DocumentKindInfo::editCommand).
enum CommandId : int {
    kCmdZoomIn = 50001,
    kCmdZoomOut = 50002,
    kCmdFitWidth = 50003,
    kCmdFullPage = 50004,
    kCmdZoomWindow = 50005,
    kCmdPreviousPage = 50006,
    kCmdNextPage = 50007,
    kCmdScrollLineUp = 50008,
    kCmdScrollLineDown = 50009,
    kCmdScrollPageUp = 50010,
    kCmdScrollPageDown = 50011,
    kCmdScrollLeft = 50012,
    kCmdScrollRight = 50013,
    kCmdPageList = 50014,
    kCmdTextSizeList = 50015,
    kCmdPageListFocus = 50016,
    kCmdCheckRules = 50017,
    kCmdDepositState = 50018,
    // The reception register's window; in the Formulario menu only while the
    // register is on (RegisterMenuPlace).
    kCmdReceptionRegister = 50040,
    // The report of the register's receptions, beside it.
    kCmdReceptionReport = 50041,
    kCmdOpen = 57601,
    kCmdClose = 57602,
    kCmdPrintSetup = 57606,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdToolBar = 59392,
    kCmdStatusBar = 59393,
};

// When a command is enabled.
enum class EnablingRule {
    Always,       // open, printer set-up, exit, bars, about
    FormOpen,     // exactly while formIdentified is set
    PreviousPage, // form open and current page > 1
    NextPage,     // form open and current page < page count
    NoRule,       // the scroll keys and F10 reach the control at any time
};

// What the enabling rules look at, read afresh at every update.
struct CommandContext
{
    bool formIdentified = false;
    int currentPage = 0;
    int pageCount = 0;
    bool zoomWindowMode = false;
};

struct CommandInfo
{
    int id = 0;
    QString caption;       // menu caption with its ampersands; empty without a menu item
    QKeySequence shortcut; // accelerator; empty without one
    QString prompt;        // status-bar text
    QString toolTip;
    EnablingRule rule = EnablingRule::Always;
    QString iconName; // its toolbar icon, resources/icons/<name>.svg; empty without a button
};

// Every command of the frame, in menu order within each menu.
const QList<CommandInfo> &CommandTable();
const CommandInfo *FindCommand(int id);

bool IsCommandEnabled(EnablingRule rule, const CommandContext &context);
// The commands that only change how the form is looked at (zoom, page
// moves, scrolling, the page list): they may run while long work that only
// reads the form does.
bool IsViewCommand(int id);
// "Ampliar &ventana" carries a check mark that follows the control.
bool IsCommandChecked(int id, const CommandContext &context);

// The menus: a popup title and its entries; 0 is a separator, a negative
// number opens a sub-menu whose title is `subMenuTitles` at (-n - 1).
struct MenuLayout
{
    QString title;
    QList<int> entries;
};
const QList<MenuLayout> &MainMenu();
// Where the register's entry goes when the register is on: the menu, and
// the entry it comes after.
struct MenuPlace
{
    int menu = 0;
    int after = 0;
};
MenuPlace RegisterMenuPlace();
const QStringList &SubMenuTitles();
const QList<QList<int>> &SubMenuEntries();

// Toolbar from left to right; 0 is a gap.
const QList<int> &ToolBarLayout();

// The Edit menu: which dialog, over which kind, from the document table.
struct EditCommand
{
    int id = 0;
    bool imageSet = false; // image set dialog, else text page dialog
    DocumentKind kind = DocumentKind::MemoriaText;
};
const QList<EditCommand> &EditCommands();

} // namespace vk7
