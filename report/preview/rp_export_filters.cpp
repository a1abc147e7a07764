// The list of registered export filter classes.
#include "report/preview/rp_export_filters.h"

#include "report/rp_export_filter.h"

#include <utility>

namespace {

std::vector<TRpExportFilterClass>& Registered() {
    static std::vector<TRpExportFilterClass> filters;
    return filters;
}

} // namespace

int RegisterRpExportFilter(TRpExportFilterClass makeFilter) {
    Registered().push_back(std::move(makeFilter));
    return static_cast<int>(Registered().size()) - 1;
}

void ClearRpExportFilters() {
    Registered().clear();
}

const std::vector<TRpExportFilterClass>& RpExportFilters() {
    return Registered();
}
