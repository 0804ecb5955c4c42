#include "objects/krvComp_Opr.h"

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"

#include <functional>
#include <utility>

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// The parts of a dotted name; dots inside double quotes belong to their part.
std::vector<std::string> NameParts(const std::string& aName) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (char c : aName) {
        if (c == '"') quoted = !quoted;
        if (c == '.' && !quoted) {
            parts.emplace_back();
            continue;
        }
        parts.back() += c;
    }
    return parts;
}

// A qualified name split into its qualifier (the parts before the last dot) and its last part.
std::pair<std::string, std::string> SplitSchema(const std::string& aName) {
    std::vector<std::string> parts = NameParts(aName);
    std::string last = std::move(parts.back());
    parts.pop_back();
    std::string qualifier;
    for (const std::string& p : parts) qualifier += (qualifier.empty() ? "" : ".") + p;
    return {qualifier, last};
}

std::string OrNone(const std::string& aType) { return aType.empty() ? "NONE" : aType; }

// An operator's own name in CREATE and DROP: the quoted schema, then the operator as is.
std::string OperatorName(const TDbObj& aOpr) {
    return aOpr.fSchema.empty() ? aOpr.fObjName : aOpr.QuoteIdent(aOpr.fSchema) + "." + aOpr.fObjName;
}

std::string QualifiedClassName(const TDbObj& aObj) {
    return TDialectTraits::Qualified(aObj.Quoter(), aObj.fSchema, aObj.fObjName);
}

}  // namespace

std::string QuoteQualifiedName(const TDbObj& aObj, const std::string& aName) {
    std::string r;
    for (const std::string& part : NameParts(aName)) {
        if (!r.empty()) r += '.';
        r += !part.empty() && part.front() == '"' ? part : aObj.QuoteIdent(part);
    }
    return r;
}

std::string OperatorRef(const TDbObj& aObj, const std::string& aName) {
    const auto [schema, op] = SplitSchema(aName);
    return schema.empty() ? aName : "OPERATOR(" + QuoteQualifiedName(aObj, schema) + "." + op + ")";
}

// ---------------------------------------------------------------------------
// TOprData

std::string TOprData::ParamDef() const { return "(" + OrNone(LeftArg) + ", " + OrNone(RightArg) + ")"; }

std::string TOprData::GetObjKeyDef() const { return SchObjName(fSchema, fObjName) + " " + ParamDef(); }

std::string TOprData::Def() const {
    std::string r = "CREATE OPERATOR " + OperatorName(*this) + "(" + kCRLF + "PROCEDURE = " + QuoteQualifiedName(*this, Proc);
    auto clause = [&r](const char* word, const std::string& value) {
        if (!value.empty()) r += std::string(",") + kCRLF + word + " = " + value;
    };
    auto flag = [&r](const char* word, bool value) {
        if (value) r += std::string(",") + kCRLF + word;
    };
    clause("LEFTARG", LeftArg);
    clause("RIGHTARG", RightArg);
    clause("COMMUTATOR", OperatorRef(*this, Commutator));
    clause("NEGATOR", OperatorRef(*this, Negator));
    clause("RESTRICT", Restrict.empty() ? Restrict : QuoteQualifiedName(*this, Restrict));
    clause("JOIN", Join.empty() ? Join : QuoteQualifiedName(*this, Join));
    flag("HASHES", Hashes);
    flag("MERGES", Merges);
    clause("SORT1", OperatorRef(*this, Sort1));
    clause("SORT2", OperatorRef(*this, Sort2));
    clause("LTCMP", OperatorRef(*this, LtCmp));
    clause("GTCMP", OperatorRef(*this, GtCmp));
    return r + ")";
}

std::string TOprData::DropDef() const { return "DROP OPERATOR " + OperatorName(*this) + " " + ParamDef(); }

// ---------------------------------------------------------------------------
// Operator class members

std::string TOpcOprData::ParamDef() const {
    if (lArg.empty() && rArg.empty()) return std::string();
    return " (" + OrNone(lArg) + ", " + OrNone(rArg) + ")";
}

std::string TOpcOprData::Def() const {
    // A member names its operator directly, schema-qualified where needed.
    const auto [schema, op] = SplitSchema(ObjName);
    const std::string name = schema.empty() ? op : QuoteQualifiedName(*fOwner, schema) + "." + op;
    return "OPERATOR " + std::to_string(Number) + " " + name + ParamDef();
}

std::string TOpcOprData::ObjKeyDef() const { return ObjName + ParamDef(); }

std::string TOpcFncData::ParamDef() const {
    std::string r;
    for (const std::string& p : Params) r += (r.empty() ? "" : ", ") + p;
    return "(" + r + ")";
}

std::string TOpcFncData::Def() const {
    return "FUNCTION " + std::to_string(Number) + " " + QuoteQualifiedName(*fOwner, ObjName) + ParamDef();
}

std::string TOpcFncData::ObjKeyDef() const { return ObjName + ParamDef(); }

// ---------------------------------------------------------------------------
// TOpcData

TOpcOprData* TOpcData::AddOpr(std::int32_t aNumber, const std::string& aName, const std::string& aLeft,
                              const std::string& aRight) {
    auto o = std::make_unique<TOpcOprData>(this);
    o->Number = aNumber;
    o->ObjName = aName;
    o->lArg = aLeft;
    o->rArg = aRight;
    Opr.push_back(std::move(o));
    return Opr.back().get();
}

TOpcFncData* TOpcData::AddFnc(std::int32_t aNumber, const std::string& aName, std::vector<std::string> aParams) {
    auto f = std::make_unique<TOpcFncData>(this);
    f->Number = aNumber;
    f->ObjName = aName;
    f->Params = std::move(aParams);
    Fnc.push_back(std::move(f));
    return Fnc.back().get();
}

std::string TOpcData::GetObjKeyDef() const { return SchObjName(fSchema, fObjName) + "(" + IdxMethod + ")"; }

std::string TOpcData::Def() const {
    std::string r = "CREATE OPERATOR CLASS " + QualifiedClassName(*this);
    if (DefOpClass) r += " DEFAULT";
    r += " FOR TYPE " + ForType + " USING " + QuoteIdent(IdxMethod) + " AS" + kCRLF;
    std::vector<std::string> items;
    for (const auto& o : Opr) items.push_back(o->Def());
    for (const auto& f : Fnc) items.push_back(f->Def());
    if (!Storage.empty()) items.push_back("STORAGE " + Storage);
    for (std::size_t i = 0; i < items.size(); ++i) r += items[i] + (i + 1 < items.size() ? std::string(",") + kCRLF : "");
    return r;
}

std::string TOpcData::DropDef() const {
    return "DROP OPERATOR CLASS " + QualifiedClassName(*this) + " USING " + QuoteIdent(IdxMethod);
}

void TOpcData::DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) {
    aLink->Active = false;
    DropDependDef();
}

// ---------------------------------------------------------------------------
// Generators

namespace {

// Writes aWrite for each master object of the kind list that aWants, the first under a
// heading comment, a line break after the last.
void WriteEach(TKeldar& k, TObjListKind aKind, const char* aHeading, const std::function<bool(TDbObj*)>& aWants,
               const std::function<void(TDbObj*)>& aWrite) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    const TKindList* row = TCustomObjs::KindListOf(aKind);
    if (!M || !ex || !row) return;
    bool any = false;
    row->ForEach(*M, [&](TDbObj* m) {
        if (m->CompExclude || !aWants(m)) return;
        if (!any) ex->AddComment(m->GenComment(aHeading));
        any = true;
        aWrite(m);
    });
    if (any) ex->AddComment(kCRLF);
}

// Master objects that are not created are: those without counterpart, and those whose
// counterpart was dropped with something it used.
void CreateMissing(TKeldar& k, TObjListKind aKind, const char* aHeading) {
    WriteEach(
        k, aKind, aHeading, [](TDbObj* m) { return !m->GetObjCreated(); }, [](TDbObj* m) { m->CreateDependDef(); });
}

// A changed object cannot be altered in place: the target's is dropped, the master's created.
void RecreateChanged(TKeldar& k, TObjListKind aKind, const char* aHeading) {
    WriteEach(
        k, aKind, aHeading, [](TDbObj* m) { return m->GetRefObj() && m->Def() != m->GetRefObj()->Def(); },
        [](TDbObj* m) {
            m->GetRefObj()->DropDependDef();
            m->CreateDependDef();
        });
}

void DropUnmatched(TKeldar& k, TObjListKind aKind, const char* aHeading) {
    if (TCustomObjs* T = k.GetTObjs())
        DropUnmatchedObjects(*T, aKind, k.GetSQLExec(), [aHeading](const TDbObj* t) { return t->GenComment(aHeading); });
}

}  // namespace

void GenScriptOprCreate(TKeldar& k) { CreateMissing(k, olOpr, "Create operator..."); }
void GenScriptOprAlter(TKeldar& k) { RecreateChanged(k, olOpr, "Alter operator (drop/create)..."); }
void GenScriptOprDrop(TKeldar& k) { DropUnmatched(k, olOpr, "Drop operator..."); }
void GenScriptOpcCreate(TKeldar& k) { CreateMissing(k, olOpc, "Create operator class..."); }
void GenScriptOpcAlter(TKeldar& k) { RecreateChanged(k, olOpc, "Alter operator class (drop/create)..."); }
void GenScriptOpcDrop(TKeldar& k) { DropUnmatched(k, olOpc, "Drop operator class..."); }

}  // namespace dbtwin
