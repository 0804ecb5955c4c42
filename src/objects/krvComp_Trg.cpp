#include "objects/krvComp_Trg.h"

namespace dbtwin {

std::string TTrgData::EmptyBody() const {
    switch (GetDatabaseType()) {
        case dbMSSQL: return " declare @i integer;\r\nbegin set @i = 0; end";
        case dbMySQL: return " BEGIN END";
        default: return " AS Declare variable I integer;\r\nBEGIN I = 0; END";
    }
}

void TTrgData::SetRestoreBody(bool Value) {
    fRestoreBody = Value;
    if (auto* ref = dynamic_cast<TTrgData*>(fRefObj)) ref->fRestoreBody = Value;
}

}  // namespace dbtwin
