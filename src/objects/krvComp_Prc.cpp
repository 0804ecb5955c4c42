#include "objects/krvComp_Prc.h"

#include <stdexcept>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// Joins the texts of a list's items, each but the last followed by "," + CRLF.
template <typename F>
std::string JoinItems(const TFldList& aList, F aItem) {
    std::string r;
    for (TFldData* f : aList) {
        if (!r.empty()) r += ",\r\n";
        r += aItem(f);
    }
    return r;
}

bool StartsWithWord(const std::string& aText, const char* aWord) {
    const std::string t = UpperCase(TrimLeft(aText));
    const std::string w = aWord;
    if (t.compare(0, w.size(), w) != 0) return false;
    return t.size() == w.size() || !(std::isalnum(static_cast<unsigned char>(t[w.size()])) || t[w.size()] == '_');
}

// A PostgreSQL SQL-standard body: BEGIN ATOMIC ... END or RETURN expression, written
// unquoted after the options. A quoted body (plpgsql and the others) is a block or SQL text.
bool IsStandardBody(const std::string& aBody, const std::string& aLanguage) {
    if (!aLanguage.empty() && !SameText(aLanguage, "sql")) return false;
    if (StartsWithWord(aBody, "RETURN")) return true;
    if (!StartsWithWord(aBody, "BEGIN")) return false;
    return StartsWithWord(TrimLeft(aBody).substr(5), "ATOMIC");
}

// A dollar quote of the body whose tag the body does not hold: with "$$" a body holding
// "$$" (or ending in "$") would end the quote early.
std::string DollarQuoted(const std::string& aBody) {
    std::string tag = "$$";
    for (int n = 0;; ++n) {
        if ((aBody + tag).find(tag) == aBody.size()) break;
        tag = "$body" + (n ? std::to_string(n) : std::string()) + "$";
    }
    return tag + aBody + tag;
}

}  // namespace

// ---------------------------------------------------------------------------
// TPrcData

TPrcData::TPrcData(TCustomObjs* aObjs)
    : TDbObj(aObjs), Params(false, true, true), Returns(false, true, true) {
    fObjType = dboProcedure;
}

TFldData* TPrcData::AddParam(const std::string& aName) { return AddOwnedFld(Params, this, aName, dboParam); }
TFldData* TPrcData::AddReturn(const std::string& aName) { return AddOwnedFld(Returns, this, aName, dboParam); }

void TPrcData::ClearParams() {
    Params.Clear();
    Returns.Clear();
}

bool TPrcData::GetHasReturnsTable() const {
    return ReturnsTable || (!Returns.Empty() && Returns.Objects(0)->FieldType == iftTable);
}

std::string TPrcData::GetObjKeyDef() const {
    const TDatabaseType db = fObjs ? fObjs->GetDatabaseType() : dbAbstract;
    if (db == dbPostgreSQL) {
        // Only the input arguments make a function's identity.
        std::string args;
        for (TFldData* f : Params) {
            if (f->InOut == ioOut) continue;
            if (!args.empty()) args += ", ";
            args += LowerCase(f->FieldTypeDef());
        }
        return (fSchema.empty() ? std::string() : fSchema + ".") + fObjName + "(" + args + ")";
    }
    std::string key = TDbObj::GetObjKeyDef();
    if (db == dbMSSQL && Number != 0) key += ";" + std::to_string(Number);
    return key;
}

std::string TPrcData::GetCaption() const {
    const TDatabaseType db = fObjs ? fObjs->GetDatabaseType() : dbAbstract;
    if (db == dbPostgreSQL || (db == dbMSSQL && Number != 0)) return GetObjKeyDef();
    return TDbObj::GetCaption();
}

std::string TPrcData::EmptyBody() const {
    std::string body;
    switch (GetDatabaseType()) {
        case dbMSSQL:
        case dbSybaseASE:
            if (ReturnsTable) return "Return (select 0 as Result)";
            if (Returns.Count() == 1 && Returns.Objects(0)->FieldType == iftTable) return "begin Return end";
            if (Returns.Count() == 1 && Returns.Objects(0)->FieldType == iftUniqueIdent) return "begin Return Null end";
            return "begin Return 0 end";
        case dbSybaseASA:
            return " begin Return end";
        case dbMySQL:
            // A function without RETURN is refused.
            return Func ? " BEGIN RETURN NULL; END" : " BEGIN END";
        default:
            if (Func) body = " BEGIN RETURN NULL; END";
            else if (Returns.Empty()) body = " BEGIN EXIT; END";
            else body = " BEGIN SUSPEND; END";
            break;
    }
    if (GetDatabaseType() == dbOracle) body += ";";
    return body;
}

std::string TPrcData::ParamDef(bool ReturnsDef) const {
    const TDatabaseType db = GetDatabaseType();
    auto mode = [](const TFldData* f, const char* in, const char* out, const char* inout, const char* variadic) {
        switch (f->InOut) {
            case ioIn: return in;
            case ioOut: return out;
            case ioInout: return inout;
            case ioVariadic: return variadic;
            default: return "";
        }
    };
    auto named = [this](const TFldData* f) { return f->fObjName.empty() ? std::string() : QuoteIdent(f->fObjName) + " "; };
    switch (db) {
        case dbSybaseASA: {
            std::string r = "(" + JoinItems(Params, [&](TFldData* f) {
                                return mode(f, "In ", "Out ", "InOut ", "") + QuoteIdent(f->fObjName) + " " + f->FieldTypeDef();
                            }) + ")" + kCRLF;
            if (ReturnsDef && !Returns.Empty()) {
                if (Func)
                    r += "RETURNS " + Returns.Objects(0)->FieldTypeDef();
                else
                    r += " Result(" +
                         JoinItems(Returns, [&](TFldData* f) { return QuoteIdent(f->fObjName) + " " + f->FieldTypeDef(); }) +
                         ")" + kCRLF;
            }
            return r;
        }
        case dbPostgreSQL: {
            std::string r = "(" + JoinItems(Params, [&](TFldData* f) {
                                return mode(f, "IN ", "OUT ", "INOUT ", "VARIADIC ") + named(f) + f->TypeDef();
                            }) + ")";
            if (ReturnsDef) {
                const std::string ret = !RetValue.empty() ? RetValue : !Returns.Empty() ? Returns.Objects(0)->TypeDef() : "";
                if (!ret.empty()) r += std::string(kCRLF) + "RETURNS " + (RetSetOf ? "SETOF " : "") + ret;
            }
            return r;
        }
        case dbMySQL: {
            std::string r = "(" + JoinItems(Params, [&](TFldData* f) {
                                return mode(f, "IN ", "OUT ", "INOUT ", "") + named(f) + f->TypeDef();
                            }) + ")";
            if (ReturnsDef && !Returns.Empty()) r += std::string(kCRLF) + "RETURNS " + Returns.Objects(0)->TypeDef();
            return r;
        }
        case dbMSSQL:
        case dbSybaseASE: {
            const bool paren = Func || !Language.empty();
            std::string r = " ";
            if (paren) r += "(";
            r += JoinItems(Params, [](TFldData* f) { return f->Def(); });
            if (paren) r += ")";
            r += kCRLF;
            if (ReturnsDef) {
                if (ReturnsTable) r += std::string(" RETURNS TABLE") + kCRLF;
                else if (Returns.Count() == 1) r += " RETURNS " + Returns.Objects(0)->Def() + kCRLF;
            }
            return r;
        }
        default: {
            std::string r;
            if (!Params.Empty()) r += "(" + JoinItems(Params, [](TFldData* f) { return f->Def(); }) + ")" + kCRLF;
            if (ReturnsDef && !Returns.Empty()) {
                r += std::string(" RETURNS") + (Func ? " " : "(");
                r += JoinItems(Returns, [&](TFldData* f) {
                    return f->Def() + (f->Rare().FncDeterministic ? " DETERMINISTIC" : "");
                });
                if (!Func) r += ")";
                r += kCRLF;
            }
            return r;
        }
    }
}

bool TPrcData::HasStandardBody() const {
    return GetDatabaseType() == dbPostgreSQL && IsStandardBody(fBody, Language);
}

bool TPrcData::EmptiesBody() const {
    switch (GetDatabaseType()) {
        case dbMySQL: case dbPostgreSQL: case dbSybaseASE: return false;
        default: return true;
    }
}

bool TPrcData::Emptiable() const { return GetObjCreated() && EmptiesBody() && fBody != EmptyBody(); }

std::string TPrcData::IB_Def(const std::string& aBody) const {
    return std::string(Func ? "FUNCTION " : "PROCEDURE ") + QuoteIdent(fObjName) + ParamDef(true) + " AS" + kCRLF + aBody;
}

std::string TPrcData::SAW_Def(const std::string& aBody) const {
    return std::string(Func ? "FUNCTION " : "PROCEDURE ") + GetObjFullName() + ParamDef(true) + aBody;
}

std::string TPrcData::MySQL_Def(const std::string& aBody) const {
    std::string r = std::string(Func ? "FUNCTION " : "PROCEDURE ") + GetObjFullName() + ParamDef(true) + kCRLF;
    if (!Extra().fDescription.empty())
        r += "     COMMENT " + ScriptQuotedStr(Extra().fDescription, dbMySQL) + kCRLF;
    static const std::pair<TMySQLProcOptions, const char*> kOptions[] = {
        {mpLanguageSql, "LANGUAGE SQL"},
        {mpDeterministic, "DETERMINISTIC"},
        {mpNotDeterministic, "NOT DETERMINISTIC"},
        {mpNoSql, "NO SQL"},
        {mpReadsSqlData, "READS SQL DATA"},
        {mpModifiesSqlData, "MODIFIES SQL DATA"},
        {mpSqlSecurityDefiner, "SQL SECURITY DEFINER"},
        {mpSqlSecurityInvoker, "SQL SECURITY INVOKER"},
    };
    for (const auto& [option, word] : kOptions)
        if (MySqlOptions.Contains(option)) r += std::string("     ") + word + kCRLF;
    return r + aBody;
}

std::string TPrcData::MSSQL_Def(const std::string& aBody) const {
    std::string r = std::string(Func ? "FUNCTION " : "PROCEDURE ") + GetObjFullName();
    if (Number != 0) r += ";" + std::to_string(Number);
    r += ParamDef(true);
    if (!Language.empty()) {
        if (ModifiesSqlData) r += std::string("  modifies sql data") + kCRLF;
        if (ProcStrict) r += std::string("  returns null on null input") + kCRLF;
        if (DynamicResultSets != 0) r += "  dynamic result sets " + std::to_string(DynamicResultSets) + kCRLF;
        if (Deterministic) r += std::string("  deterministic") + kCRLF;
        if (Exportable) r += std::string("  exportable") + kCRLF;
        return r + "  language " + Language + kCRLF + "  parameter style " + ParameterStyle + kCRLF +
               "  external name " + ScriptQuotedStr(ExternalName, GetDatabaseType());
    }
    if (!ProcOption.empty()) r += " WITH " + ProcOption + kCRLF;
    // The body follows AS, the empty body too.
    return r + " AS " + Trim(aBody);
}

std::string TPrcData::Oracle_Def(const std::string& aBody) const {
    return std::string(Func ? "FUNCTION " : "PROCEDURE ") + GetObjFullName() + kCRLF + aBody;
}

std::string TPrcData::PG_Def(const std::string& aBody) const {
    std::string r = std::string(Func ? "FUNCTION " : "PROCEDURE ") + GetObjFullName() + ParamDef(true);
    std::string options;
    if (!Language.empty()) options += std::string(kCRLF) + "LANGUAGE " + QuoteIdent(Language);
    if (!Volatile.empty()) options += " " + Volatile;
    if (ProcStrict) options += " STRICT";
    // A SQL-standard body follows the options and is not quoted.
    if (IsStandardBody(aBody, Language))
        return r + options + kCRLF + aBody;
    if (!aBody.empty())
        r += std::string(kCRLF) + "AS " + DollarQuoted(aBody);
    else
        r += std::string(kCRLF) + "AS " + ScriptQuotedStr(ObjFile, dbPostgreSQL) + ", " +
             ScriptQuotedStr(LinkSymbol, dbPostgreSQL);
    return r + options;
}

std::string TPrcData::DefWithBody(const std::string& aBody) const {
    switch (GetDatabaseType()) {
        case dbSybaseASA: return "CREATE " + SAW_Def(aBody);
        case dbInterBase: return "CREATE " + IB_Def(aBody);
        case dbMSSQL:
        case dbSybaseASE:
            if (!aBody.empty() || !Language.empty()) return "CREATE " + MSSQL_Def(aBody);
            return Extra().Text;
        case dbOracle: return "CREATE OR REPLACE " + Oracle_Def(aBody);
        case dbPostgreSQL: return "CREATE " + PG_Def(aBody);
        case dbMySQL: return "CREATE " + MySQL_Def(aBody);
        default: return std::string();
    }
}

std::string TPrcData::Def() const { return DefWithBody(fBody); }

std::string TPrcData::AlterDef() const {
    switch (GetDatabaseType()) {
        case dbSybaseASA: return "ALTER " + SAW_Def(fBody);
        case dbInterBase: return "ALTER " + IB_Def(fBody);
        case dbMSSQL:
        case dbSybaseASE:
            if (StartsWithWord(fBody, "CREATE")) {
                const std::string body = TrimLeft(fBody);
                return "ALTER" + body.substr(6);
            }
            return "ALTER " + MSSQL_Def(fBody);
        case dbOracle: return "CREATE OR REPLACE " + Oracle_Def(fBody);
        case dbPostgreSQL: return "CREATE OR REPLACE " + PG_Def(fBody);
        // No ALTER carries a body here: the routine is dropped and created (see the generators).
        default: return Def();
    }
}

std::string TPrcData::DropDef() const {
    if (CompExclude) return std::string();
    std::string r = Func ? "DROP FUNCTION " : "DROP PROCEDURE ";
    switch (GetDatabaseType()) {
        case dbMySQL: return r + "IF EXISTS " + QuoteIdent(fObjName);
        case dbSybaseASA:
            return r + TDialectTraits::Qualified(Quoter(), DialectTraits(dbSybaseASA).OwnerOrDefault(Extra().OwnUser),
                                                 fObjName);
        case dbPostgreSQL: return r + GetObjFullName() + ParamDef(false);
        case dbOracle:
        case dbMSSQL: return r + TDialectTraits::Qualified(Quoter(), fSchema, fObjName);
        default: return r + QuoteIdent(fObjName);
    }
}

std::string TPrcData::EmptyDef() const {
    if (CompExclude) return std::string();
    const TDatabaseType db = GetDatabaseType();
    const std::string asaName = TDialectTraits::Qualified(
        Quoter(), DialectTraits(dbSybaseASA).OwnerOrDefault(Extra().OwnUser), fObjName);
    if (Func) {
        if (db == dbMSSQL || db == dbSybaseASE)
            return "CREATE FUNCTION " + GetObjFullName() + ParamDef(true) + "as" + kCRLF + EmptyBody();
        if (db == dbSybaseASA)
            return "CREATE FUNCTION " + asaName + ParamDef(false) + "returns integer as" + kCRLF + EmptyBody();
        // MySQL writes no AS before the body.
        if (db == dbMySQL) return "CREATE FUNCTION " + GetObjFullName() + ParamDef(true) + kCRLF + EmptyBody();
        return "CREATE FUNCTION " + QuoteIdent(fObjName) + ParamDef(true) + " AS" + kCRLF + EmptyBody();
    }
    const std::string r = db == dbOracle ? "CREATE OR REPLACE PROCEDURE " : "CREATE PROCEDURE ";
    if (db == dbSybaseASA) return r + asaName + ParamDef(true) + "as" + kCRLF + EmptyBody();
    if (db == dbMySQL) return r + GetObjFullName() + ParamDef(true) + kCRLF + EmptyBody();
    return r + GetObjFullName() + ParamDef(true) + " AS" + kCRLF + EmptyBody();
}

std::string TPrcData::AlterEmptyDef() const {
    return std::string(Func ? "ALTER FUNCTION " : "ALTER PROCEDURE ") + GetObjFullName() + ParamDef(true) + " AS" +
           kCRLF + EmptyBody();
}

void TPrcData::SetEmptyBody() {
    if (!fEmptied) fBodyBeforeEmpty = fBody;
    fEmptied = true;
    fBody = EmptyBody();
}

void TPrcData::UndoEmptyBody() {
    if (!fEmptied) return;
    fBody = fBodyBeforeEmpty;
    fEmptied = false;
}

void TPrcData::ResetCompareState() {
    UndoEmptyBody();
    fRestoreBody = false;
    fDescribed = false;
}

void TPrcData::AssignEmptyBody(bool GenSQL) {
    if (!GetObjCreated()) return;
    TCustomObjs* master = fObjs ? fObjs->GetObjsMaster() : nullptr;
    TPrcData* m = master && master != fObjs ? master->Prc.Find(GetObjKeyDef()) : nullptr;
    if (!EmptiesBody()) {
        // A body the server keeps its uses of cannot stay while they change: drop it, the
        // master writes it again.
        if (HasStandardBody()) {
            if (m) m->SetRestoreBody(true);
            DropDependDef();
        }
        return;
    }
    if (fBody == EmptyBody()) return;
    SetEmptyBody();
    for (auto& l : fUseOf) l->Active = false;
    if (m) m->SetRestoreBody(true);
    if (GenSQL) {
        AddStatement(AlterDef(), stProcedure, fObjName, dboProcedure, odbEmpty);
        EditExtra().fCurrentDefinition = Def();
    }
}

void TPrcData::SetRestoreBody(bool Value) {
    fRestoreBody = Value;
    if (auto* ref = dynamic_cast<TPrcData*>(fRefObj)) ref->fRestoreBody = Value;
}

void TPrcData::SetTargetCurrent(const std::string& aText) {
    TDbObj* t = fRefObj ? fRefObj : this;
    t->EditExtra().fCurrentDefinition = aText;
}

void TPrcData::ForEachField(const std::function<void(TDbObj*)>& f) const {
    for (TFldData* p : Params) f(p);
    for (TFldData* p : Returns) f(p);
}

TDescriptionTarget TPrcData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.Function = Func;
    t.Signature = ParamDef(false);
    return t;
}

void TPrcData::AddCreateStatement() {
    const std::string text = CreateDef();
    if (text.empty() && !CompExclude) {
        // Nothing to write for this database kind: say so where the routine would stand.
        if (TCustomSQLExec* ex = GetSQLExec())
            ex->AddComment(GenComment("Routine " + fObjName + " has no text for this database kind"));
        return;
    }
    AddStatement(text, stProcedure, fObjName, dboProcedure, odbCreate);
}

void TPrcData::AddCreateDescriptions() {
    if (!Extra().fDescription.empty() && GetDatabaseType() != dbMySQL) AddDescription();
    ForEachDescribedField([](TDbObj* p) {
        if (!p->Extra().fDescription.empty()) p->AddDescription();
    });
}

void TPrcData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    TCustomSQLExec* ex = GetSQLExec();
    TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
    if (!ex || !target || target == fObjs) return;
    for (std::size_t i = 0; i < fUseOf.size(); ++i) {
        auto* v = dynamic_cast<TViwData*>(fUseOf[i]->Obj);
        if (!v) continue;
        if (!v->GetObjCreated()) {
            ex->AddComment(GenComment("Create view: " + v->fObjName + " for procedure: " + fObjName));
            v->CreateDependDef();
            continue;
        }
        auto* tv = dynamic_cast<TViwData*>(v->GetRefObj());
        if (!tv || SameViewDefinition(v, tv)) continue;
        const std::string tail = v->fObjName + " for procedure: " + fObjName;
        ex->AddComment(GenComment("Alter view (drop/create): " + tail));
        ex->AddComment(GenComment("Alter view (drop): " + tail));
        tv->DropDependDef();
        ex->AddComment(GenComment("Alter view (create): " + tail));
        v->CreateDependDef();
        tv->EditExtra().fCurrentDefinition = v->Extra().fCurrentDefinition;
    }
}

void TPrcData::CreateForUser(TDbObj* aUser, TDependObj* aLink, TUseWalk aWalk) {
    if (aWalk == uwViewSources) return WriteHeaderForView(aUser);
    if (GetObjCreated()) return;
    TCustomObjs* target = aUser->fObjs ? aUser->fObjs->GetObjsTarget() : nullptr;
    if (target && target->Prc.Find(GetObjKeyDef())) return;
    aLink->Active = false;
    const TDatabaseType db = aUser->GetDatabaseType();
    if (db == dbPostgreSQL || db == dbSybaseASE || (db == dbMSSQL && GetHasReturnsTable())) {
        CreateDependDef();
    } else {
        CreateEmpty();
    }
}

void TPrcData::WriteHeaderForView(TDbObj* aView) {
    // A view made while the target still holds the old parameters of a routine it selects
    // from would be refused: the routine gets its new parameters (with an empty body) first,
    // its body comes with the other routines.
    auto* t = dynamic_cast<TPrcData*>(fRefObj);
    const bool isMaster = aView->fObjs && aView->fObjs->GetObjsMaster() == fObjs;
    if (!isMaster || !t || !t->GetObjCreated() || ParamDef(true) == t->ParamDef(true)) return;
    const std::string header = DefWithBody(EmptyBody());
    const std::string& current = t->Extra().fCurrentDefinition;
    if (current == header || current == Def()) return;
    if (TCustomSQLExec* ex = GetSQLExec())
        ex->AddComment(GenComment("Alter empty procedure " + fObjName + " with new param-list for view: " + aView->fObjName));
    AddStatement(AlterEmptyDef(), stProcedure, fObjName, dboProcedure, odbEmpty);
    t->AssignEmptyBody(false);
    t->EditExtra().fCurrentDefinition = header;
}

void TPrcData::CreateEmpty() {
    AddStatement(EmptyDef(), stProcedure, fObjName, dboProcedure, odbEmptyCreate);
    SetRestoreBody(true);
    SetObjCreated(true);
}

void TPrcData::DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) {
    aLink->Active = false;
    AssignEmptyBody(true);
}

void TPrcData::DoBeforeDrop() {
    TDbObj::DoBeforeDrop();
    for (auto& l : fUseOf) l->Active = false;
    // Computed columns that call the routine go before it.
    TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* link = fUseIn[i].get();
        TDbObj* user = link->Obj;
        if (!link->Active || !user) continue;
        TDbObj* column = user->IsComputedColumn() ? user : nullptr;
        if (!column && !link->ObjField.empty() && user->ListKind() == olTbl && target)
            if (TTblData* t = target->Tbl.Find(user->GetObjKeyDef()))
                if (TFldData* f = t->FindFld(link->ObjField); f && f->IsComputed()) column = f;
        if (!column || !column->GetObjCreated()) continue;
        link->Active = false;
        column->DropDependDef();
    }
}

// ---------------------------------------------------------------------------
// TMemberPrcData

std::string TMemberPrcData::Def() const {
    std::string r = "   " + ProcDirective.Def() + "MEMBER " + (Func ? "FUNCTION " : "PROCEDURE ") + fObjName + Params;
    if (Func && !Returns.Empty()) r += " RETURN " + Returns.Objects(0)->Def();
    return r;
}

// ---------------------------------------------------------------------------
// Generators

namespace {

bool Describes(const TKeldar& k) { return k.GetCompareObjects().Contains(coDescription); }

// What the target routine holds by now, and what it held when the comparison began.
const std::string& CurrentOf(const TDbObj* o) { return o->Extra().fCurrentDefinition; }
const std::string& SourceOf(const TDbObj* o) { return o->Extra().fSourceDefinition; }

// The described parameters and results of a routine get their descriptions.
void DescribeFields(TPrcData* m) {
    m->ForEachDescribedField([](TDbObj* p) {
        if (!p->Extra().fDescription.empty()) p->AddDescription();
    });
}

// Writes the master routine's real text over what the target holds: ALTER where the kind
// replaces a routine in place, drop and create on MySQL, CREATE when the target routine is
// gone. The target routine's current definition becomes the master's text.
void WriteRoutine(TPrcData* m, TDbOperation aOperation) {
    if (!m->GetObjCreated()) {
        m->AddStatement(m->CreateDef(), stProcedure, m->fObjName, dboProcedure, aOperation);
        m->SetObjCreated(true);
    } else if (m->GetDatabaseType() == dbMySQL) {
        m->AddStatement(m->DropDef(), stStatement, m->fObjName, dboProcedure, odbDrop);
        m->AddStatement(m->CreateDef(), stProcedure, m->fObjName, dboProcedure, aOperation);
    } else {
        m->AddStatement(m->AlterDef(), stProcedure, m->fObjName, dboProcedure, aOperation);
    }
    m->SetTargetCurrent(m->Def());
    // The target routine holds the master's text now: what its old text used no longer
    // depends on it.
    if (TDbObj* t = m->GetRefObj())
        for (auto& l : t->fUseOf) {
            l->Active = false;
            if (l->Partner) l->Partner->Active = false;
        }
}

// Drops the target routine and creates the master one: where a routine cannot be altered
// into the other.
void Recreate(TPrcData* m, TPrcData* t) {
    t->DropDependDef();
    m->CreateDependDef();
    m->SetRestoreBody(false);
    m->SetTargetCurrent(m->Def());
}

// Whether a routine is used by another routine.
bool UsedByRoutine(const TPrcData* t) {
    for (const auto& l : t->fUseIn)
        if (l->Obj != t && dynamic_cast<TPrcData*>(l->Obj)) return true;
    return false;
}

// Whether a routine still uses something through an active link.
bool UsesSomething(const TPrcData* t) {
    for (const auto& l : t->fUseOf)
        if (l->Active && l->Obj && l->Obj != t) return true;
    return false;
}

bool ParamsDiffer(const TPrcData* m, const TPrcData* t) { return m->ParamDef(true) != t->ParamDef(true); }

// 1. Routines that change kind, or (MySQL, ASE) change at all, are dropped and created;
// PostgreSQL cannot replace a function whose parameters or result change, so it does the
// same. Elsewhere a routine whose parameters change first has its users emptied.
void AlterPass1(TKeldar& k) {
    TCustomSQLExec* ex = k.GetSQLExec();
    const TDatabaseType db = k.GetTObjs()->GetDatabaseType();
    for (TPrcData* m : k.GetMObjs()->Prc) {
        auto* t = dynamic_cast<TPrcData*>(m->GetRefObj());
        if (m->CompExclude || !t || !t->GetObjCreated()) continue;
        if (m->Def() == CurrentOf(t)) continue;
        if (db == dbMySQL || db == dbSybaseASE || m->Func != t->Func || (db == dbPostgreSQL && ParamsDiffer(m, t))) {
            ex->AddComment(m->GenComment("Alter (" + m->fObjName + ")"));
            Recreate(m, t);
            continue;
        }
        if (!ParamsDiffer(m, t)) continue;
        for (std::size_t i = 0; i < t->fUseIn.size(); ++i) {
            TDependObj* l = t->fUseIn[i].get();
            if (!l->Active || !l->Obj || l->Obj == t) continue;
            if (auto* u = dynamic_cast<TPrcData*>(l->Obj)) {
                if (u->Emptiable()) {
                    ex->AddComment(u->GenComment(" Empty " + u->fObjName + " for " + t->fObjName + "(param list change) "));
                    u->AssignEmptyBody(true);
                }
                l->Active = false;
            } else if (auto* trg = dynamic_cast<TTrgData*>(l->Obj)) {
                trg->AssignEmptyBody();
                trg->EditExtra().fCurrentDefinition = trg->Def();
                l->Active = false;
            }
        }
    }
}

// 2. A routine whose parameters change while other routines use it is first written with
// the new parameters and an empty body (where an empty body can be altered in).
void AlterPass2(TKeldar& k) {
    const TDatabaseType db = k.GetTObjs()->GetDatabaseType();
    if (db != dbInterBase && db != dbMSSQL && db != dbSybaseASA) return;
    TCustomSQLExec* ex = k.GetSQLExec();
    for (TPrcData* t : k.GetTObjs()->Prc) {
        auto* m = dynamic_cast<TPrcData*>(t->GetRefObj());
        if (!m || m->CompExclude || !t->GetObjCreated()) continue;
        if (!ParamsDiffer(m, t) || m->Def() == CurrentOf(t) || !UsedByRoutine(t)) continue;
        if (CurrentOf(t) == m->DefWithBody(m->EmptyBody())) continue;  // written for a view already
        ex->AddComment(m->GenComment("Alter empty procedure " + m->fObjName + " with new param-list"));
        m->AddStatement(m->AlterEmptyDef(), stProcedure, m->fObjName, dboProcedure, odbEmpty);
        t->AssignEmptyBody(false);
        // What the target holds now: the master's header with the empty body.
        t->EditExtra().fCurrentDefinition = m->DefWithBody(m->EmptyBody());
        if (Describes(k)) DescribeFields(m);
    }
}

// 3. Changed and new routines: what they use first, their users emptied, then the new text.
void AlterPass3(TKeldar& k) {
    TCustomSQLExec* ex = k.GetSQLExec();
    TCustomObjs* T = k.GetTObjs();
    const TDatabaseType db = T->GetDatabaseType();
    const bool describe = Describes(k);
    bool any = false;
    for (TPrcData* m : k.GetMObjs()->Prc) {
        if (m->CompExclude) continue;
        auto* t = dynamic_cast<TPrcData*>(m->GetRefObj());
        if (t && describe && !m->fDescribed) {
            m->fDescribed = true;
            if (m->Extra().fDescription != t->Extra().fDescription) {
                if (db == dbSybaseASA)
                    m->AddStatement("COMMENT ON PROCEDURE " + m->QuoteIdent(m->fObjName) + " IS " +
                                        ScriptQuotedStr(m->Extra().fDescription, dbSybaseASA),
                                    stStatement, m->fObjName, dboProcedure, odbDescription);
                else if (db != dbMySQL)  // MySQL keeps the description in the routine's text
                    m->AddDescription();
            }
            if (db != dbSybaseASA && db != dbMySQL)
                m->ForEachDescribedField([t](TDbObj* p) {
                    const std::string key = p->GetObjKeyDef();
                    const TFldData* tf = t->Params.Find(key);
                    if (!tf) tf = t->Returns.Find(key);
                    const std::string& was = tf ? tf->Extra().fDescription.str() : std::string();
                    if (was != p->Extra().fDescription.str()) p->AddDescription();
                });
        }
        // A routine the comparison only emptied is left to the restore pass.
        if (t && m->GetObjCreated() && (m->Def() == CurrentOf(t) || m->Def() == SourceOf(t))) continue;
        if (!t && m->GetObjCreated() && !m->fRestoreBody) continue;
        if (!any) ex->AddComment(m->GenComment("Alter Procedure..."));
        any = true;
        if (t) {
            // Routines t calls whose parameters change: t must not hold a call to the old list.
            for (std::size_t i = 0; i < t->fUseOf.size(); ++i) {
                auto* p = dynamic_cast<TPrcData*>(t->fUseOf[i]->Obj);
                auto* pm = p ? dynamic_cast<TPrcData*>(p->GetRefObj()) : nullptr;
                if (!pm || !ParamsDiffer(pm, p) || !t->Emptiable()) continue;
                ex->AddComment(pm->GenComment("Params list changed into " + pm->QuoteIdent(pm->fObjName) + "... "));
                ex->AddComment(t->GenComment("Empty: " + t->fObjName));
                t->AssignEmptyBody(true);
            }
            // Routines that call t are emptied while it changes.
            for (std::size_t i = 0; i < t->fUseIn.size(); ++i) {
                TDbObj* user = t->fUseIn[i]->Obj;
                if (user == t) continue;
                if (auto* u = dynamic_cast<TPrcData*>(user)) {
                    TPrcData* tu = T->Prc.Find(u->GetObjKeyDef());
                    if (!tu) throw std::logic_error("Procedure not found: " + u->fObjName);
                    if (!tu->Emptiable()) continue;
                    const std::string clear = "Clear: " + tu->fObjName + " for: " + m->fObjName;
                    ex->AddComment(tu->GenComment("empty dependent procedure body"));
                    ex->AddComment(tu->GenComment(clear));
                    AddToLog(clear);
                    tu->AssignEmptyBody(true);
                } else if (db == dbMSSQL && user && user->ListKind() == olCtr && user->GetObjCreated()) {
                    user->DropDependDef();
                }
            }
        }
        // What m uses comes first.
        for (std::size_t i = 0; i < m->fUseOf.size(); ++i) {
            TDbObj* used = m->fUseOf[i]->Obj;
            if (!used || used == m) continue;
            const TObjListKind kind = used->ListKind();
            if ((kind == olViw || kind == olTbl) && !used->GetObjCreated()) {
                used->CreateDependDef();
            } else if (auto* p = dynamic_cast<TPrcData*>(used)) {
                auto* tp = dynamic_cast<TPrcData*>(p->GetRefObj());
                if (tp && ParamsDiffer(p, tp) && p->Def() != CurrentOf(tp)) WriteRoutine(p, odbAlter);
            }
        }
        if (describe) DescribeFields(m);
        if (!t || (m->Def() == CurrentOf(t) && m->GetObjCreated())) continue;
        m->DoBeforeCreate();
        ex->AddComment(m->GenComment("Alter (" + m->fObjName + ")"));
        if (db == dbSybaseASE)
            Recreate(m, t);
        else
            WriteRoutine(m, odbAlter);
        m->SetRestoreBody(false);
    }
}

// 4. Routines written empty (or dropped) along the way get their real text back.
void AlterPass4(TKeldar& k) {
    TCustomSQLExec* ex = k.GetSQLExec();
    const bool describe = Describes(k);
    for (TPrcData* m : k.GetMObjs()->Prc) {
        if (m->CompExclude || !m->fRestoreBody) continue;
        auto* t = dynamic_cast<TPrcData*>(m->GetRefObj());
        if (t && m->Def() == CurrentOf(t) && m->GetObjCreated()) {
            m->SetRestoreBody(false);
            continue;
        }
        ex->AddComment(m->GenComment("Restore proc. body: " + m->fObjName));
        WriteRoutine(m, odbRestore);
        m->SetRestoreBody(false);
        if (describe) DescribeFields(m);
    }
}

}  // namespace

void GenScriptProcDrop(TKeldar& k) {
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!T || !ex) return;
    bool any = false;
    for (TPrcData* t : T->Prc) {
        if (t->GetRefObj() || t->CompExclude || !t->Emptiable() || !UsesSomething(t)) continue;
        if (Trim(CurrentOf(t)) == Trim(t->EmptyDef())) continue;
        if (!any) ex->AddComment(t->GenComment("Alter Procedure (Before Drop)..."));
        any = true;
        t->AssignEmptyBody(true);
    }
    if (any) ex->AddComment(kCRLF);
    DropUnmatchedObjects(*T, olPrc, ex, [](const TDbObj* t) { return t->GenComment("Drop Procedure..."); });
}

void GenScriptProcCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const TDatabaseType db = k.GetTObjs()->GetDatabaseType();
    const bool describe = Describes(k);
    bool any = false;
    for (TPrcData* m : M->Prc) {
        if (m->CompExclude || m->GetRefObj() || m->GetObjCreated()) continue;
        if (db == dbPostgreSQL || db == dbSybaseASE) {
            // Created at once, with what they use.
            m->CreateDependDef();
            continue;
        }
        if (db == dbMSSQL && m->GetHasReturnsTable()) {
            ex->AddComment(m->GenComment("Create Procedure (returns table)..."));
            m->CreateDependDef();
            continue;
        }
        if (!any) ex->AddComment(m->GenComment("Create Procedure..."));
        any = true;
        m->CreateEmpty();
        if (describe) m->AddCreateDescriptions();
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptProcAlter(TKeldar& k) {
    if (!k.GetMObjs() || !k.GetTObjs() || !k.GetSQLExec()) return;
    AlterPass1(k);
    AlterPass2(k);
    AlterPass3(k);
    AlterPass4(k);
}

}  // namespace dbtwin
