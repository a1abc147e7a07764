// The print setup of a report: the print dialog offers the report's
// printer, copies and orientation and, once a document is finished, its
// pages as the range; what the user accepts becomes the report's printer,
// copies, orientation and page range for the next print.
#pragma once

class QObject;
class TCustomRpReport;

// Returns whether the user accepted; a cancelled dialog changes nothing.
bool RpPrintSetup(TCustomRpReport* report, QObject* sender);

// Makes RpPrintSetup the print-setup operation of every report.
void RegisterRpPrintSetup();
