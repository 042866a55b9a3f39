#pragma once

#include "core/date.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace solvenna {

// The six horoscope systems, in the order of the dialog's list and of the menus.
enum class HoroscopeSystem { Zodiac, Chinese, Druid, Zoroastrian, Mythological, Numerological };
inline constexpr int kSystemCount = 6;
inline constexpr int kTopicCount = 11;

// Folder values; every one ends in exactly one native path delimiter and page paths are these plus a
// file name, by plain concatenation.
struct Folders {
    QString AppFolder;
    QString DataFolder;
    QString ZodiacFolder;
    QString ChineseFolder;
    QString DruidFolder;
    QString NumericFolder;
    QString ZoroastrianFolder;
    QString MythFolder;
    // Where solvenna.ini and names.ini live: the program's folder, or the user's configuration folder
    // when the program is installed.
    QString ConfigFolder;
    bool installed = false;

    // The portable layout: pages and INI files beside the program.
    static Folders fromAppFolder(const QString& appFolder);
    // The layout the program finds itself in. Portable when "Data" stands beside the program (the build
    // folder, a copied folder, a USB stick). Installed when instead the pages are in
    // ../share/solvenna/Data relative to the program's folder: the INI files then go into
    // userConfigFolder, since nothing may be written into the installation. With neither folder there the
    // layout stays portable, so a program folder that lost its pages behaves as it always did.
    static Folders forProgram(const QString& appFolder, const QString& userConfigFolder);
    QString errorPage() const;
    // The user guide, opened by "Справка" → "Руководство" (F1).
    QString guidePage() const;
};

QChar pathDelimiter();

// The folder that holds a program file, ending in one delimiter; a root folder keeps its single one.
QString folderOfProgram(const QString& programFilePath);

// File and folder names by index; an index outside the table gives no name.
std::optional<QString> zodiacSignFolder(int signIndex); // 5 -> "lion"
std::optional<QString> topicFile(int sectionIndex);     // 0 -> "element.htm"
std::optional<QString> chineseFile(int animalIndex);    // 4 -> "oxen.htm"
std::optional<QString> druidFile(int treeIndex);        // 11 -> "rowanberry.htm"
std::optional<QString> numericFile(int number);         // 9 -> "9.htm"
std::optional<QString> zoroastrianFile(int totemIndex); // 32 -> "32.htm"
std::optional<QString> mythFile(int creatureIndex);     // 10 -> "10.htm"

// The caption of a zodiac topic section ("Стихия знака" ...), empty outside 0..10.
QString topicCaption(int sectionIndex);

// One row per horoscope system, in the order of HoroscopeSystem: its names, its calculator and where its
// pages are. The windows' commands for the systems are a table of the same order (main.cpp).
using FoldersMember = QString Folders::*;
struct SystemEntry {
    HoroscopeSystem system;
    const char16_t* menuName;   // in the menus and the dialog's list: "Китайский"
    const char16_t* caption;    // the single-page item's caption: "Китайский гороскоп"
    FoldersMember folder;       // the folder of its pages
    const char16_t* folderName; // that folder's name inside the data folder: "Chinese"
    // What the catalogue holds for a sign index: the sign's page, or for the zodiac the folder of the
    // sign's topic pages.
    std::optional<QString> (*signEntry)(int signIndex);
    // The sign index of a birth date (signs.h), -1 when there is none.
    std::int32_t (*signOf)(Date birthDate);
    int signCount;
    // The nominative name of a sign index as the pages' headings give it; empty outside the table.
    QString (*signName)(int signIndex);
    // The first year the calculator takes (0: any); before it the calculator refuses with a message.
    int firstYear;
    // Why a birth date has no page in the system, as the whole-horoscope document says it.
    const char16_t* noSign;
};
const std::array<SystemEntry, kSystemCount>& systemTable();
const SystemEntry& systemEntry(HoroscopeSystem system);

// The system's name as the single-page item shows it ("Китайский гороскоп").
QString systemCaption(HoroscopeSystem system);
// The system's name in the menus and the dialog's list ("Китайский").
QString systemMenuName(HoroscopeSystem system);
// The folder of the system's pages inside the data folder ("Druidean").
QString systemFolderName(HoroscopeSystem system);
// The page of a single-page system for a birth date, worked out afresh: its folder and the page of the
// sign; none when the calculator gives no sign in the system's table (a refused year), or for the zodiac.
std::optional<QString> singlePage(const Folders& folders, HoroscopeSystem system, Date birthDate);

// Why a birth date has no page in the system ("китайский гороскоп составляется для годов с 1910").
QString noSignReason(HoroscopeSystem system);

// Nominative sign names as the pages' headings give them ("Лев", "Кот", "Олень", "Число 9").
QString signName(HoroscopeSystem system, int index);
// Number of signs in a system's table.
int signCount(HoroscopeSystem system);

} // namespace solvenna
