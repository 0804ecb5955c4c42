#include "objects/krvComp_Dmn.h"

namespace dbtwin {

TDmnData::TDmnData(TCustomObjs* aObjs) : TDbObj(aObjs), fData(std::make_unique<TFldData>(aObjs)) {
    fObjType = dboDomain;
}

}  // namespace dbtwin
