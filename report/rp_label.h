// A fixed caption.
#pragma once

#include "report/rp_custom_label.h"

class TRpLabel : public TRpCustomLabel {
public:
    using TRpCustomLabel::SetCaption;
};
