// The common root of the bar's panel collections, so that a panel can check
// the kind of collection it is being created in.
#pragma once

class TCollection {
public:
    virtual ~TCollection();
    virtual int Count() const = 0;
};
