#pragma once

#include "core/date.h"
#include "core/namestore.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Contacts files in and out of the name store: vCard (2.1, 3.0, 4.0) and CSV, as phones, address books and
// spreadsheets write them, and the plan of an import, checked before anything is written.
namespace solvenna::contacts {

// A file larger than this is refused whole: no address book of people one knows comes near it.
inline constexpr qint64 kMaxImportBytes = 16 * 1024 * 1024;

// One person read from a file; `line` is where their card or row starts, 1-based.
struct Contact {
    QString name;
    Date birthDate = 0;
    int line = 0;
};
// A card or row left out, with the reason the preview gives for it.
struct Skipped {
    int line = 0;
    QString name; // as far as it could be read; may be empty
    QString reason;
};
struct ReadResult {
    QList<Contact> contacts;
    QList<Skipped> skipped;
    QString refusal; // not empty: the whole file was refused, and this says why
    bool refused() const { return !refusal.isEmpty(); }
};

// Names the store cannot hold as they are: a line break becomes a blank, blanks are run together and
// trimmed. Brackets and "=" are kept: the store reads them back as written.
QString storableName(const QString& name);

ReadResult readVCards(const QByteArray& bytes);
ReadResult readCsv(const QByteArray& bytes);
// The file's format by its content (a vCard starts with BEGIN:VCARD), refused when too large, unreadable
// or binary.
ReadResult readContactsFile(const QString& path);

// CSV for spreadsheets: UTF-8 with a byte-order mark, ";" between fields, a header line, dates as
// ДД.ММ.ГГГГ. A name a spreadsheet would take as a formula is written so it stays text.
QByteArray writeCsv(const QList<NamedEntry>& people);
// vCard 4.0, one card per person with FN, N and BDAY.
QByteArray writeVCards(const QList<NamedEntry>& people);

// --- The plan of an import ---------------------------------------------------------------------------

enum class ConflictChoice { KeepStored, Replace, AddNumbered };

struct ImportItem {
    Contact contact;
    bool conflict = false;
    QString storedName;  // the stored entry's name, when in conflict
    Date storedDate = 0; // its date
    ConflictChoice choice = ConflictChoice::KeepStored;
    QString numberedName; // "Анна (2)": the free name AddNumbered would use
};
struct ImportPlan {
    QList<ImportItem> items; // in file order: new people and conflicts
    QList<Skipped> skipped;  // in file order, including names repeated in the file
};
// Checks what would be added against the stored entries; a name repeated in the file keeps its first row.
ImportPlan planImport(const ReadResult& read, const QList<NamedEntry>& stored);
// The entries to write for the choices made: new entries with ShowMain=0, ShowHoroscop=0, HoroscopType=0;
// KeepStored items write nothing.
QList<NamedEntry> entriesToWrite(const ImportPlan& plan);

} // namespace solvenna::contacts
