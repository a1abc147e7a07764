// An export filter: writes the pages of a report document to a file of
// another format. The preview offers each registered filter in its save
// dialog after the saved-report entry.
#pragma once

#include <QString>

class TRpPrinter;

class TRpExportFilter {
public:
    virtual ~TRpExportFilter() = default;
    // The dialog's wording and the file name extension (without the dot).
    virtual QString Description() const = 0;
    virtual QString Extension() const = 0;
    // Writes the pages the printer object holds; throws Exception with a
    // message for the user when the file cannot be written.
    virtual void Export(TRpPrinter& printer) = 0;
};
