#include "objects/krvComp_Ctr.h"

#include <algorithm>
#include <iterator>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"

namespace dbtwin {

TCtrData::TCtrData(TCustomObjs* aObjs) : TDbObj(aObjs), Flds(false, true, true), RefFlds(false, true, true) {
    fObjType = dboConstraint;
}

void TCtrData::SetCtType(TConstraintType aType) {
    fCtType = aType;
    switch (aType) {
        case ctPKey: fObjType = dboPKey; break;
        case ctUnique: fObjType = dboUnique; break;
        case ctFKey: fObjType = dboFKey; break;
        case ctCheck: fObjType = dboCheck; break;
        case ctDefault: fObjType = dboDefault; break;
        case ctReferences: fObjType = dboReferences; break;
        default: break;
    }
}

namespace {
std::string CaseRule(const TCustomObjs* aObjs, const std::string& aName) { return FoldedName(aObjs, aName); }

std::string QuotedList(const TCtrData* c, const TFldList& aList) {
    std::string r;
    for (TFldData* f : aList) {
        if (!r.empty()) r += ", ";
        r += c->QuoteIdent(f->fObjName);
    }
    return r;
}

const char* ActionText(TUDAction a) {
    switch (a) {
        case udaRestrict: return "RESTRICT";
        case udaCascade: return "CASCADE";
        case udaDefault: return "SET DEFAULT";
        case udaNull: return "SET NULL";
        default: return "";
    }
}

// A body as it follows a keyword: separated by one blank.
std::string AfterKeyword(const std::string& aText) {
    if (aText.empty() || aText.front() == ' ') return aText;
    return " " + aText;
}
}  // namespace

void TCtrData::SetTblName(const std::string& aName) { fTblName = CaseRule(fObjs, aName); }
void TCtrData::SetRefTblName(const std::string& aName) { fRefTblName = CaseRule(fObjs, aName); }
void TCtrData::SetRefSchema(const std::string& aSchema) { fRefSchema = CaseRule(fObjs, aSchema); }

TFldData* TCtrData::AddFld(const std::string& aName) {
    TFldData* f = AddOwnedFld(Flds, this, aName, dboField);
    if (f) f->OwnName = fTblName;
    return f;
}

TFldData* TCtrData::AddRefFld(const std::string& aName) {
    TFldData* f = AddOwnedFld(RefFlds, this, aName, dboField);
    if (f) f->OwnName = fRefTblName;
    return f;
}

std::string TCtrData::GetFields() const { return QuotedList(this, Flds); }
std::string TCtrData::GetRefFlds() const { return QuotedList(this, RefFlds); }

std::string TCtrData::UsingIndexDef() const {
    if (UsingIndex.empty()) return std::string();
    switch (GetDatabaseType()) {
        case dbInterBase:
            return std::string("\r\n") + (UsingDescIndex ? "USING DESC INDEX " : "USING INDEX ") + QuoteIdent(UsingIndex);
        case dbMySQL: return std::string();
        default: return " " + UsingIndex;
    }
}

std::string TCtrData::ConstraintDef(bool ForField) const {
    const TDatabaseType db = GetDatabaseType();
    std::string r;
    if (!fObjName.empty()) r += "CONSTRAINT " + QuoteIdent(fObjName) + " ";
    switch (fCtType) {
        case ctFKey: {
            r += "FOREIGN KEY ";
            if (db == dbSybaseASA && !FkRoleName.empty()) r += QuoteIdent(FkRoleName) + " ";
            r += "(" + GetFields() + ")" + " REFERENCES ";
            // The referenced table lives in the referenced schema. SQL Server names it only when
            // given; elsewhere an omitted one is the constraint's own.
            const std::string& schema = fRefSchema.empty() && db != dbMSSQL ? fSchema.str() : fRefSchema;
            r += DialectTraits(db).TableName(Quoter(), schema, RefUser, fRefTblName);
            if (!RefFlds.Empty()) r += " (" + GetRefFlds() + ")";
            if (db == dbPostgreSQL) {
                if (Match == maFull) r += " MATCH FULL";
                else if (Match == maPartial) r += " MATCH PARTIAL";
            }
            bool actions = true;
            if (db == dbInterBase && fObjs) {
                const std::int32_t ods = fObjs->ODSMajorVersionOfTarget();
                if (ods != 0 && ods <= 8) actions = false;
            }
            if (actions) {
                if (OnUpdate != udaNoAction) r += std::string(" ON UPDATE ") + ActionText(OnUpdate);
                if (OnDelete != udaNoAction) r += std::string(" ON DELETE ") + ActionText(OnDelete);
            }
            if (NotForReplication) r += " NOT FOR REPLICATION";
            r += UsingIndexDef();
            if (CheckOnCommit) r += " CHECK ON COMMIT";
            break;
        }
        case ctCheck:
            r += "CHECK";
            if (NotForReplication) r += " NOT FOR REPLICATION";
            r += AfterKeyword(fBody);
            break;
        case ctPKey:
            r += "PRIMARY KEY ";
            if (db == dbSybaseASA && Clustered) r += "CLUSTERED ";
            if (db == dbMSSQL && !Clustered) r += "NONCLUSTERED ";
            r += "(" + GetFields() + ")" + UsingIndexDef();
            break;
        case ctUnique:
            r += "UNIQUE ";
            if (db == dbMSSQL && Clustered) r += "CLUSTERED ";
            if (db == dbMySQL && !UsingIndex.empty()) r += QuoteIdent(UsingIndex) + " ";  // the index name
            r += "(" + GetFields() + ")" + UsingIndexDef();
            break;
        case ctReferences:
            r += "REFERENCES " + QuoteIdent(fRefTblName);
            if (!RefFlds.Empty()) r += "(" + GetRefFlds() + ")";
            break;
        default: break;
    }
    if (DeferrableInitiallyDeferred) r += "\r\nDEFERRABLE INITIALLY DEFERRED";
    if ((db == dbMSSQL || db == dbSybaseASE) && fCtType == ctDefault) {
        r += "DEFAULT " + fBody;
        if (!Flds.Empty() && (!ForField || Flds.Count() != 1)) r += " FOR " + GetFields();
    }
    if (db == dbPostgreSQL) {
        if (Deferrable) r += " DEFERRABLE";
        if (InitiallyDeferred) r += " INITIALLY DEFERRED";
    }
    const std::string space = fTblSpace.Def();
    if (!space.empty()) r += "\r\n" + space;
    return r;
}

std::string TCtrData::OracleNotNullDef() const {
    std::string r = " MODIFY (";
    if (!Flds.Empty()) r += QuoteIdent(Flds.Objects(0)->fObjName);
    if (!fObjName.empty()) r += " CONSTRAINT " + QuoteIdent(fObjName);
    return r + " NOT NULL)";
}

std::string TCtrData::TableText() const {
    // Schema and table are quoted apart: a name pasted unquoted could break the statement.
    return "ALTER TABLE " + DialectTraits(GetDatabaseType()).TableName(Quoter(), fSchema, Extra().OwnUser, fTblName);
}

std::string TCtrData::Def() const {
    if (GetDatabaseType() == dbOracle && fCtType == ctNotNull) return TableText() + OracleNotNullDef();
    return TableText() + " ADD " + ConstraintDef(false);
}

bool TCtrData::CanDrop() const {
    const TDatabaseType db = GetDatabaseType();
    if (db == dbMySQL || !fObjName.empty() || !Extra().SysName.empty()) return true;
    if (db == dbSybaseASA) return fCtType == ctPKey || fCtType == ctUnique || fCtType == ctFKey || fCtType == ctCheck;
    return db == dbInterBase && fCtType == ctPKey;
}

std::string TCtrData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    if (db == dbMySQL) {
        std::string r = "ALTER TABLE " + QuoteIdent(fTblName) + " DROP ";
        switch (fCtType) {
            case ctPKey: return r + "PRIMARY KEY";
            case ctUnique:
                if (!fObjName.empty()) return r + "CONSTRAINT " + QuoteIdent(fObjName);
                if (!UsingIndex.empty()) return r + "KEY " + QuoteIdent(UsingIndex);
                return r + "UNIQUE";
            case ctFKey: return r + "FOREIGN KEY " + QuoteIdent(fObjName);
            default: return r + "CONSTRAINT " + QuoteIdent(fObjName);
        }
    }
    if (!fObjName.empty() || !Extra().SysName.empty())
        return TableText() + " DROP CONSTRAINT " + QuoteIdent(!fObjName.empty() ? fObjName : Extra().SysName.str());
    std::string r = "/* drop constraint: " + Def() + " */" + "\r\n";
    if (db == dbSybaseASA) {
        switch (fCtType) {
            case ctPKey: r += TableText() + " DROP PRIMARY KEY"; break;
            case ctUnique: r += TableText() + " DROP UNIQUE(" + GetFields() + ")"; break;
            case ctFKey:
                r += TableText() + " DROP FOREIGN KEY" + " " +
                     QuoteIdent(!FkRoleName.empty() ? FkRoleName.str() : fRefTblName);
                break;
            case ctCheck: r += TableText() + " DROP CHECK"; break;
            default: break;
        }
    } else if (db == dbInterBase && fCtType == ctPKey) {
        r += "Delete from Rdb$Relation_Constraints\r\nwhere Rdb$Relation_Name = " +
             ScriptQuotedStr(fTblName, dbInterBase) + "\r\nand Rdb$Constraint_Type = " +
             ScriptQuotedStr("PRIMARY KEY", dbInterBase);
    }
    return r;
}

std::string TCtrData::GetCaption() const {
    if (!fObjName.empty()) return fObjName;
    if (!Extra().SysName.empty()) return Extra().SysName;
    return Def();
}

std::string TCtrData::GetObjKeyDef() const {
    if (!fObjName.empty()) return TDbObj::GetObjKeyDef();
    if (GetDatabaseType() != dbInterBase) return Def();
    // InterBase: the key does not depend on the dialect's quoting.
    auto* ib = const_cast<TIBServerOptions*>(GetIBServerOptions());
    if (!ib) return Def();
    const auto saved = ib->GetSQLDialect();
    ib->SetSQLDialect(1);
    std::string key = Def();
    ib->SetSQLDialect(saved);
    return key;
}

namespace {
bool IsHexUpper(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }
}  // namespace

// Judges the name by the rule of the database kind; a system-generated name moves to SysName.
void TCtrData::CheckSysName() {
    if (!fObjs) return;
    const TDatabaseType db = fObjs->fDatabaseType;
    bool isSys = false;

    if (db == dbPostgreSQL) {
        // The server names constraints table_column(s)_suffix; a table-level check has no
        // column part.
        const std::string t = fTblName + "_";
        std::string cols;
        for (TFldData* f : Flds) cols += f->fObjName + "_";
        switch (fCtType) {
            case ctPKey: isSys = fObjName == t + "pkey"; break;
            case ctFKey: isSys = fObjName == t + cols + "fkey"; break;
            case ctCheck: isSys = fObjName == t + "check" || (!cols.empty() && fObjName == t + cols + "check"); break;
            case ctUnique: isSys = !cols.empty() && fObjName == t + cols + "key"; break;
            default: break;
        }
    } else if (db == dbDB2) {
        isSys = Utf8Length(fObjName) == 18 && fObjName.compare(0, 3, "SQL") == 0;
    } else if (db == dbMSSQL || db == dbSybaseASE) {
        const char* prefix = nullptr;
        switch (fCtType) {
            case ctPKey: prefix = "PK__"; break;
            case ctUnique: prefix = "UQ__"; break;
            case ctFKey: prefix = "FK__"; break;
            case ctDefault: prefix = "DF__"; break;
            default: break;
        }
        const std::string& n = fObjName;
        if (prefix && n.size() >= 14 && n.compare(0, 4, prefix) == 0) {
            const std::string tail = n.substr(n.size() - 10);
            isSys = tail[0] == '_' && tail[1] == '_' &&
                    std::all_of(tail.begin() + 2, tail.end(), IsHexUpper);
        }
    }
    if (isSys) {
        EditExtra().SysName = fObjName;
        fObjName.clear();
    }
}

TDescriptionTarget TCtrData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.OwnerName = fTblName;
    return t;
}

void TCtrData::DoBeforeCreate() {
    for (std::size_t i = 0; i < fUseOf.size(); ++i) {
        TDbObj* used = fUseOf[i]->Obj;
        if (auto* t = dynamic_cast<TTblData*>(used)) {
            t->CreateDependDef();
        } else if (auto* f = dynamic_cast<TFldData*>(used); f && dynamic_cast<TTblData*>(f->OwnObj)) {
            if (!f->GetObjCreated()) f->CreateDependDef();
        }
    }
}

void TCtrData::DoBeforeDrop() {
    if (fCtType != ctPKey && fCtType != ctUnique) return;
    if (GetDatabaseType() == dbInterBase)
        if (TCustomSQLExec* ex = GetSQLExec()) ex->AddReConnect();
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        auto* fk = dynamic_cast<TCtrData*>(fUseIn[i]->Obj);
        if (fk && fk->fCtType == ctFKey) fk->DropDependDef();
    }
}

void TCtrData::DropDependDef() {
    if (!GetObjCreated()) return;
    if (CanDrop()) {
        TDbObj::DropDependDef();
        return;
    }
    if (TCustomSQLExec* ex = GetSQLExec()) {
        ex->AddComment(DropDef());
        ex->DoMsgWrn("Cannot drop a constraint without a name: " + Def(), this);
    }
}

// ---------------------------------------------------------------------------
// Generators

namespace {
bool TypeEnabled(TConstraintType aType, TCmpObjSetType aSet) {
    switch (aType) {
        case ctPKey: return aSet.Contains(coPrimaryKey);
        case ctUnique: return aSet.Contains(coUnique);
        case ctFKey: return aSet.Contains(coForeignKey);
        case ctCheck:
        case ctDefault:
        case ctNotNull: return aSet.Contains(coCheck);
        default: return true;
    }
}
}  // namespace

void GenScriptCtrDrop(TKeldar& k) {
    TCustomObjs* t = k.GetTObjs();
    if (!t) return;
    const TCmpObjSetType objects = k.GetCompareObjects();
    if ((objects * TCmpObjSetType{coPrimaryKey, coForeignKey, coUnique, coCheck, coCtrDefault}).IsEmpty()) return;
    for (std::size_t i = t->Ctr.Count(); i-- > 0;) {
        TCtrData* c = t->Ctr.Objects(i);
        if (!TypeEnabled(c->fCtType, objects)) continue;
        if (auto* mc = dynamic_cast<TCtrData*>(c->GetRefObj()); mc && mc->Def() == c->Def()) continue;
        if (!c->GetObjCreated()) continue;
        if (!c->CanDrop()) k.AddWarning("Cannot drop a constraint without a name: " + c->Def());
        c->DropDependDef();
    }
}

void GenScriptCtrCreate(TKeldar& k, TConstraintTypeSet Filter) {
    TCustomObjs* m = k.GetMObjs();
    TCustomObjs* t = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!m || !t || !ex) return;
    const TCmpObjSetType objects = k.GetCompareObjects();
    struct Group {
        TCmpObjType needs;
        bool mssqlOnly;
        TConstraintTypeSet types;
        const char* comment;
    };
    const Group groups[] = {
        {coCheck, false, {ctNotNull}, "/* Create check(not null)... */"},
        {coCheck, true, {ctDefault}, "/* Create Default... */"},
        {coPrimaryKey, false, {ctPKey}, "/* Create Primary Key... */"},
        {coUnique, false, {ctUnique}, "/* Create Unique... */"},
        {coForeignKey, false, {ctFKey}, "/* Create Foreign Key... */"},
        {coCheck, false, {ctCheck, ctNotNull}, "/* Create Check... */"},
        {coCheck, false, {ctDefault}, "/* Create Default... */"},
    };
    const std::size_t last = std::size(groups) - 1;
    for (std::size_t g = 0; g < std::size(groups); ++g) {
        const Group& grp = groups[g];
        if (!objects.Contains(grp.needs) || (grp.mssqlOnly && t->GetDatabaseType() != dbMSSQL)) continue;
        bool any = false;
        for (TCtrData* c : m->Ctr) {
            if (!Filter.Contains(c->fCtType) || !grp.types.Contains(c->fCtType) || c->GetObjCreated()) continue;
            if (!any) {
                ex->AddComment(grp.comment);
                if (grp.types.Contains(ctFKey)) ex->AddReConnect();
            }
            any = true;
            c->CreateDependDef();
        }
        if (g == last && any) ex->AddComment("\r\n");
    }
}

}  // namespace dbtwin
