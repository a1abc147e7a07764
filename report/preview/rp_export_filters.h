// The export filters a preview offers in its save dialog, after the
// saved-report entry, in the order they were registered. A registration is
// a maker of filters for a file name; the dialog's wording comes from a
// filter made for no file.
#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class TRpExportFilter;

using TRpExportFilterClass =
    std::function<std::unique_ptr<TRpExportFilter>(const QString& fileName)>;

// Adds a filter class; returns its position in the list (from 0).
int RegisterRpExportFilter(TRpExportFilterClass makeFilter);
// Removes every registration (tests).
void ClearRpExportFilters();
const std::vector<TRpExportFilterClass>& RpExportFilters();
