// The concrete object set every structure component owns.
#pragma once

#include "model/krvClasses.h"

namespace dbtwin {

class TObjs : public TCustomObjs {
public:
    TObjs() = default;
};

}  // namespace dbtwin
