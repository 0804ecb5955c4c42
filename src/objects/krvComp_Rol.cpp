#include "objects/krvComp_Rol.h"

namespace dbtwin {

// Grants have no names: the key is built from what the grant says, so that different
// grants never share a key.
std::string TGntData::GetObjKeyDef() const {
    std::string key = std::to_string(Privilege.Bits().to_ullong()) + " ON " + GntObjName + " TO " + User;
    if (!Flds.empty()) {
        key += " (";
        for (std::size_t i = 0; i < Flds.size(); ++i) key += (i ? "," : "") + Flds[i];
        key += ")";
    }
    if (Option) key += " WITH OPTION";
    return key;
}

}  // namespace dbtwin
