#pragma once

// The main window's table of the six systems' commands, shared by the file that builds the menus and the
// one that runs the commands.

#include "main.h"

#include <iterator>

namespace solvenna::ui {

// The six systems' commands, in the order of solvenna::HoroscopeSystem (checked below): the main-menu item of
// the "Выдать гороскоп" submenu with its shortcut and handler, its twin in the Гороскоп button's menu, and
// the page loader of a single-page system. Names, captions and pages are the core's table of the same order.
using FormAction = QAction* TForm1::*;
using FormHandler = void (TForm1::*)(QObject*);
using FormSlot = void (TForm1::*)();
struct SystemCommand {
    solvenna::HoroscopeSystem system;
    FormAction mainItem;
    const char16_t* mainName;
    int key;
    FormHandler mainHandler;
    FormAction popupItem;
    const char16_t* popupName;
    FormSlot popupHandler;
    FormSlot loader; // none for the zodiac, whose pages are its topics
};
inline constexpr SystemCommand kSystemCommands[] = {
    {solvenna::HoroscopeSystem::Zodiac, &TForm1::N13, u"N13", Qt::Key_Z, &TForm1::N13Click, &TForm1::N18,
     u"N18", &TForm1::N18Click, nullptr},
    {solvenna::HoroscopeSystem::Chinese, &TForm1::N14, u"N14", Qt::Key_K, &TForm1::N14Click, &TForm1::N19,
     u"N19", &TForm1::N19Click, &TForm1::LoadChinese},
    {solvenna::HoroscopeSystem::Druid, &TForm1::N15, u"N15", Qt::Key_D, &TForm1::N15Click, &TForm1::N21,
     u"N21", &TForm1::N21Click, &TForm1::LoadDruidean},
    {solvenna::HoroscopeSystem::Zoroastrian, &TForm1::N10, u"N10", Qt::Key_A, &TForm1::N10Click, &TForm1::N22,
     u"N22", &TForm1::N22Click, &TForm1::LoadZoroastrian},
    {solvenna::HoroscopeSystem::Mythological, &TForm1::N20, u"N20", Qt::Key_M, &TForm1::N20Click,
     &TForm1::N23, u"N23", &TForm1::N23Click, &TForm1::LoadMyphologic},
    {solvenna::HoroscopeSystem::Numerological, &TForm1::N17, u"N17", Qt::Key_N, &TForm1::N17Click,
     &TForm1::N24, u"N24", &TForm1::N24Click, &TForm1::LoadNumeric},
};

constexpr bool commandsInSystemOrder() {
    if (std::size(kSystemCommands) != std::size_t(solvenna::kSystemCount)) return false;
    for (std::size_t i = 0; i < std::size(kSystemCommands); ++i)
        if (kSystemCommands[i].system != solvenna::HoroscopeSystem(i)) return false;
    return true;
}
static_assert(commandsInSystemOrder(), "every system's commands stand at the system's own index");

inline const SystemCommand& commandsOf(solvenna::HoroscopeSystem system) {
    return kSystemCommands[std::size_t(system)];
}

} // namespace solvenna::ui
