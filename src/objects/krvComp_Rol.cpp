#include "objects/krvComp_Rol.h"

#include <algorithm>

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

std::string TGntData::MergeKey() const {
    return GntObjName + '\x1F' + User + '\x1F' + std::to_string(Option);
}

bool TGntData::MergeFrom(const TDbObj& aOther) {
    const auto* o = dynamic_cast<const TGntData*>(&aOther);
    if (!o) return false;
    if (Flds.empty() && o->Flds.empty()) {
        Privilege += o->Privilege;
        return true;
    }
    if (Privilege == o->Privilege && !Flds.empty() && !o->Flds.empty()) {
        for (const std::string& f : o->Flds)
            if (std::find(Flds.begin(), Flds.end(), f) == Flds.end()) Flds.push_back(f);
        return true;
    }
    return false;
}

}  // namespace dbtwin
