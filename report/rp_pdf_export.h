// Writes pages of a report's page store as one PDF document.
//
// Each page's metafile is played onto a painter on Qt's PDF writer, so text
// stays text (searchable, copyable, its font embedded as a subset) and rules
// stay vector lines. Every PDF page takes the paper size and orientation of
// its own page. The document is written beside its file name and put in place
// only when complete: a failed export leaves no half-written PDF and never
// destroys a file it would have replaced. Needs a QGuiApplication (fonts).
#pragma once

#include <QString>
#include <functional>

class TRpPageList;

class TRpPdfExport {
public:
    explicit TRpPdfExport(TRpPageList& pages);

    // The pages to write, 1-based and inclusive; all pages when not set.
    void SetRange(int first, int last);
    int First() const { return first_; }
    int Last() const { return last_; }

    // Called after each page is written: page is 1 for the first page of the
    // range, count the number of pages in the range.
    std::function<void(int page, int count)> OnProgress;

    // Writes the range to fileName. Throws Exception with a message naming
    // what went wrong: a range the store does not hold, a file that cannot be
    // created or written ('Cannot create file "%s". %s'), a page that cannot
    // be read or whose drawing is damaged ("Page %d cannot be exported: %s").
    void Export(const QString& fileName);

private:
    TRpPageList& pages_;
    int first_ = 0;
    int last_ = 0;
};
