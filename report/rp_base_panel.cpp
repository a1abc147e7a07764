// Out-of-line members of the report and band base.
#include "report/rp_base_panel.h"

TRpBasePanel::TRpBasePanel() = default;
TRpBasePanel::~TRpBasePanel() = default;
