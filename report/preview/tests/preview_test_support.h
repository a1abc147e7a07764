// What the preview tests share: printer objects whose pages are drawn here
// (no report, no table), each page marked with its number so that a test
// can tell which page an image holds.
#pragma once

#include "report/rp_page.h"

#include <QString>
#include <memory>

class TMetafile;
class TRpPrinter;

// A printer object on landscape A4 (or the given paper) with a document
// begun: `pages` pages drawn, the last one still open, so the object is
// busy with pages - 1 of them complete.
std::unique_ptr<TRpPrinter> BusyPrinter(int pages, TRpPaperSize paper = TRpPaperSize::A4,
                                        TPrinterOrientation orientation = poLandscape);
// The same document finished: every page complete.
std::unique_ptr<TRpPrinter> FinishedPrinter(int pages);
// Begins and draws the next page of a busy printer object.
void AddPage(TRpPrinter& printer);
// The number a page was marked with, 0 when none is found.
int PageMark(const TMetafile& page);
// Lets posted messages arrive.
void DeliverMessages();
