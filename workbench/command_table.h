#pragma once
// Every command of the workbench, one row each: the single source of the menu
// items, the toolbar buttons and the function keys. A menu choice, a toolbar
// click and a key all arrive at the dispatcher under the same id.

#include <array>
#include <string_view>

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
};

// The twelve pictures; each always stands for the same role.
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
    Paste
};

struct Command {
    CommandId id;
    std::string_view name;
    std::u16string_view menuText;
    std::u16string_view toolTip; // empty: the command has no toolbar button
    IconRole icon;
    int key; // a Qt::Key without modifiers, or 0
};

// clang-format off
inline constexpr std::array<Command, 14> commandTable{{
    // id                       name              menu text                 toolbar tooltip          icon                 key
    {CommandId::NewSource,      "NewSource",      u"Quelle neu",            u"Quelle neu",           IconRole::New,       0},
    {CommandId::LoadSource,     "LoadSource",     u"Quelle laden",          u"Quelle laden",         IconRole::Load,      0},
    {CommandId::SaveSource,     "SaveSource",     u"Quelle speichern",      u"Quelle speichern",     IconRole::Save,      0},
    {CommandId::SaveSourceAs,   "SaveSourceAs",   u"Quelle speichern als",  u"",                     IconRole::SaveAs,    0},
    {CommandId::EmulatorDialog, "EmulatorDialog", u"EPROM Emulator",        u"",                     IconRole::Emulator,  0},
    {CommandId::Exit,           "Exit",           u"Beenden",               u"",                     IconRole::Exit,      0},
    {CommandId::Assemble,       "Assemble",       u"Assembler\tF5",         u"Assembler [F5]",       IconRole::Assemble,  Qt::Key_F5},
    {CommandId::Upload,         "Upload",         u"EPROM Emulator\tF6",    u"EPROM Emulator [F6]",  IconRole::Emulator,  Qt::Key_F6},
    {CommandId::Fill00,         "Fill00",         u"00H",                   u"",                     IconRole::None,      0},
    {CommandId::FillFF,         "FillFF",         u"FFH",                   u"",                     IconRole::None,      0},
    {CommandId::Info,           "Info",           u"Info",                  u"",                     IconRole::Info,      0},
    {CommandId::Cut,            "Cut",            u"Ausschneiden",          u"",                     IconRole::Cut,       0},
    {CommandId::Copy,           "Copy",           u"Kopieren",              u"",                     IconRole::Copy,      0},
    {CommandId::Paste,          "Paste",          u"Einfügen",              u"",                     IconRole::Paste,     0},
}};
// clang-format on

} // namespace tovi
