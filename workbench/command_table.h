#pragma once
// Every command of the workbench, one row each: the single source of the menu
// items, the toolbar buttons and the keys. A menu choice, a toolbar click and
// a key all arrive at the dispatcher under the same id.

#include <array>
#include <string_view>

#include <QKeyCombination>
#include <Qt>

namespace tovi {

enum class CommandId {
    NewSource = 0,
    LoadSource = 1,
    SaveSource = 2,
    SaveSourceAs = 3,
    EmulatorDialog = 4,
    Exit = 5,
    Assemble = 6,
    Upload = 7,
    Fill00 = 8,
    FillFF = 9,
    Info = 10,
    Cut = 12,
    Copy = 13,
    Paste = 14,
    Find = 15,
    FindNext = 16,
    Replace = 17,
    GoToLine = 18,
    Run = 20,
    Pause = 21,
    StepInto = 22,
    StepOver = 23,
    StepOut = 24,
    RunToCursor = 25,
    ToggleBreakpoint = 26,
    Reset = 27,
    LoadBoard = 28,
    RealTime = 29,
    RecordSignals = 30,
};

// The pictures; each always stands for the same role.
enum class IconRole {
    None,
    New,
    Load,
    Save,
    SaveAs,
    Settings,
    Emulator,
    Exit,
    Assemble,
    Info,
    Cut,
    Copy,
    Paste,
    Run,
    Pause,
    StepInto,
    StepOver,
    StepOut,
    RunToCursor,
    Breakpoint,
    Reset,
};

struct Command {
    CommandId id;
    std::string_view name;
    std::u16string_view menuText;
    std::u16string_view toolTip; // empty: the command has no toolbar button
    IconRole icon;
    QKeyCombination key; // Qt::Key_unknown: none
};

constexpr QKeyCombination noKey{Qt::Key_unknown};

// Function keys of the simulator in the manner of debuggers that keep F5 free:
// F9 runs, F7 and F8 step, F4 runs to the cursor, F2 sets a breakpoint.
// clang-format off
inline constexpr std::array<Command, 29> commandTable{{
    // id                         name                menu text                 toolbar tooltip                    icon                     key
    {CommandId::NewSource,        "NewSource",        u"Quelle neu",            u"Quelle neu",                     IconRole::New,           Qt::CTRL | Qt::Key_N},
    {CommandId::LoadSource,       "LoadSource",       u"Quelle laden",          u"Quelle laden",                   IconRole::Load,          Qt::CTRL | Qt::Key_O},
    {CommandId::SaveSource,       "SaveSource",       u"Quelle speichern",      u"Quelle speichern",               IconRole::Save,          Qt::CTRL | Qt::Key_S},
    {CommandId::SaveSourceAs,     "SaveSourceAs",     u"Quelle speichern als",  u"",                               IconRole::SaveAs,        noKey},
    {CommandId::EmulatorDialog,   "EmulatorDialog",   u"EPROM Emulator",        u"",                               IconRole::Emulator,      noKey},
    {CommandId::Exit,             "Exit",             u"Beenden",               u"",                               IconRole::Exit,          noKey},
    {CommandId::Assemble,         "Assemble",         u"Assembler\tF5",         u"Assembler [F5]",                 IconRole::Assemble,      QKeyCombination(Qt::Key_F5)},
    {CommandId::Upload,           "Upload",           u"EPROM Emulator\tF6",    u"EPROM Emulator [F6]",            IconRole::Emulator,      QKeyCombination(Qt::Key_F6)},
    {CommandId::Fill00,           "Fill00",           u"00H",                   u"",                               IconRole::None,          noKey},
    {CommandId::FillFF,           "FillFF",           u"FFH",                   u"",                               IconRole::None,          noKey},
    {CommandId::Info,             "Info",             u"Info",                  u"",                               IconRole::Info,          noKey},
    {CommandId::Cut,              "Cut",              u"Ausschneiden",          u"",                               IconRole::Cut,           noKey},
    {CommandId::Copy,             "Copy",             u"Kopieren",              u"",                               IconRole::Copy,          noKey},
    {CommandId::Paste,            "Paste",            u"Einfügen",              u"",                               IconRole::Paste,         noKey},
    {CommandId::Find,             "Find",             u"Suchen…",               u"",                               IconRole::None,          Qt::CTRL | Qt::Key_F},
    {CommandId::FindNext,         "FindNext",         u"Weitersuchen",          u"",                               IconRole::None,          QKeyCombination(Qt::Key_F3)},
    {CommandId::Replace,          "Replace",          u"Ersetzen…",             u"",                               IconRole::None,          Qt::CTRL | Qt::Key_H},
    {CommandId::GoToLine,         "GoToLine",         u"Gehe zu Zeile…",        u"",                               IconRole::None,          Qt::CTRL | Qt::Key_G},
    {CommandId::Run,              "Run",              u"Starten/Fortsetzen",    u"Starten/Fortsetzen [F9]",        IconRole::Run,           QKeyCombination(Qt::Key_F9)},
    {CommandId::Pause,            "Pause",            u"Anhalten",              u"Anhalten [Umschalt+F9]",         IconRole::Pause,         Qt::SHIFT | Qt::Key_F9},
    {CommandId::StepInto,         "StepInto",         u"Einzelschritt",         u"Einzelschritt [F7]",             IconRole::StepInto,      QKeyCombination(Qt::Key_F7)},
    {CommandId::StepOver,         "StepOver",         u"Prozedurschritt",       u"Prozedurschritt [F8]",           IconRole::StepOver,      QKeyCombination(Qt::Key_F8)},
    {CommandId::StepOut,          "StepOut",          u"Bis Rücksprung",        u"Bis Rücksprung [Umschalt+F8]",   IconRole::StepOut,       Qt::SHIFT | Qt::Key_F8},
    {CommandId::RunToCursor,      "RunToCursor",      u"Bis Cursor",            u"Bis Cursor [F4]",                IconRole::RunToCursor,   QKeyCombination(Qt::Key_F4)},
    {CommandId::ToggleBreakpoint, "ToggleBreakpoint", u"Haltepunkt an/aus",     u"Haltepunkt an/aus [F2]",         IconRole::Breakpoint,    QKeyCombination(Qt::Key_F2)},
    {CommandId::Reset,            "Reset",            u"Zurücksetzen",          u"Zurücksetzen [F12]",             IconRole::Reset,         QKeyCombination(Qt::Key_F12)},
    {CommandId::LoadBoard,        "LoadBoard",        u"Platine laden…",        u"",                               IconRole::None,          noKey},
    {CommandId::RealTime,         "RealTime",         u"Echtzeit",              u"",                               IconRole::None,          noKey},
    {CommandId::RecordSignals,    "RecordSignals",    u"Signale aufzeichnen…",  u"",                               IconRole::None,          noKey},
}};
// clang-format on

} // namespace tovi
