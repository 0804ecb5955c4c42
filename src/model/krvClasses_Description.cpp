// Description (comment) statements of metadata objects, per database kind.
#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

// Single-quoted literal with doubled quotes.
std::string Q(std::string_view s) { return "'" + ReplaceAll(s, "'", "''") + "'"; }

// The owner of a column or parameter, and which of the two it is.
struct FieldRole {
    const TFldData* fld = nullptr;
    bool column = false;     // owned by a table or view
    bool ofView = false;
    bool parameter = false;  // owned by a procedure
};

FieldRole RoleOf(const TDbObj* o) {
    FieldRole r;
    r.fld = dynamic_cast<const TFldData*>(o);
    if (!r.fld) return r;
    if (r.fld->OwnObj) {
        r.ofView = dynamic_cast<const TViwData*>(r.fld->OwnObj) != nullptr;
        r.column = r.ofView || dynamic_cast<const TTblData*>(r.fld->OwnObj) != nullptr;
        r.parameter = dynamic_cast<const TPrcData*>(r.fld->OwnObj) != nullptr;
    } else {
        r.column = r.fld->fObjType == dboField;
        r.parameter = r.fld->fObjType == dboParam;
    }
    return r;
}

// The word naming the object's kind in COMMENT ON (InterBase/Firebird), or empty.
std::string IBCommentWords(const TDbObj* o, bool functionsAsProcedure) {
    if (dynamic_cast<const TDmnData*>(o)) return "DOMAIN";
    if (dynamic_cast<const TTblData*>(o)) return "TABLE";
    if (dynamic_cast<const TViwData*>(o)) return "VIEW";
    if (auto* p = dynamic_cast<const TPrcData*>(o))
        return p->Func && !functionsAsProcedure ? "FUNCTION" : "PROCEDURE";
    if (dynamic_cast<const TTrgData*>(o)) return "TRIGGER";
    if (dynamic_cast<const TUdfData*>(o)) return "EXTERNAL FUNCTION";
    if (dynamic_cast<const TExcData*>(o)) return "EXCEPTION";
    if (dynamic_cast<const TGnrData*>(o)) return "GENERATOR";
    if (dynamic_cast<const TIdxData*>(o)) return "INDEX";
    if (dynamic_cast<const TRolData*>(o)) return "ROLE";
    if (dynamic_cast<const TCltData*>(o)) return "COLLATION";
    return std::string();
}

}  // namespace

std::string TDbObj::DescriptionDef() const {
    if (CompExclude || !GetCompareObjects().Contains(coDescription)) return std::string();
    switch (GetDatabaseType()) {
        case dbInterBase: return IBDescriptionDef();
        case dbSybaseASA: return ASADescriptionDef();
        case dbMySQL: return MySQLDescriptionDef();
        case dbOracle: return OracleDescriptionDef();
        case dbMSSQL: return MSSQLDescriptionDef();
        case dbPostgreSQL: return PGSQLDescriptionDef();
        default: return std::string();
    }
}

std::string TDbObj::IBDescriptionDef() const {
    const std::string& D = fDescription;
    const std::string& N = fObjName;
    const FieldRole role = RoleOf(this);
    const TIBServerOptions* ib = GetIBServerOptions();
    const TIBSQLServerVersionType version = ib ? ib->GetSQLServerVersion() : st_Firebird_25;
    TUpdateDescriptionType mode = GetUpdateDescriptionType();
    // Firebird 3 and later refuse updates of system tables; COMMENT ON is their own syntax.
    if (mode == udSysTables && (version == st_Firebird_30 || version == st_Firebird_40)) mode = udComment;

    std::string r;
    switch (mode) {
        case udSysTables: {
            const char* table = nullptr;
            const char* key = nullptr;
            if (dynamic_cast<const TDmnData*>(this)) table = "RDB$FIELDS", key = "RDB$FIELD_NAME";
            else if (dynamic_cast<const TTblData*>(this) || dynamic_cast<const TViwData*>(this))
                table = "RDB$RELATIONS", key = "RDB$RELATION_NAME";
            else if (dynamic_cast<const TPrcData*>(this)) table = "RDB$PROCEDURES", key = "RDB$PROCEDURE_NAME";
            else if (dynamic_cast<const TTrgData*>(this)) table = "RDB$TRIGGERS", key = "RDB$TRIGGER_NAME";
            else if (dynamic_cast<const TExcData*>(this)) table = "RDB$EXCEPTIONS", key = "RDB$EXCEPTION_NAME";
            else if (dynamic_cast<const TIdxData*>(this)) table = "RDB$INDICES", key = "RDB$INDEX_NAME";
            else if (dynamic_cast<const TUdfData*>(this)) table = "RDB$FUNCTIONS", key = "RDB$FUNCTION_NAME";
            else if (dynamic_cast<const TGnrData*>(this)) table = "RDB$GENERATORS", key = "RDB$GENERATOR_NAME";
            else if (dynamic_cast<const TRolData*>(this)) table = "RDB$ROLES", key = "RDB$ROLE_NAME";
            if (table) {
                r = std::string("UPDATE ") + table + " SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" + "WHERE " + key +
                    " = " + Q(N);
            } else if (role.column) {
                r = "UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" +
                    "WHERE RDB$RELATION_NAME = " + Q(role.fld->OwnName) + " AND RDB$FIELD_NAME = " + Q(N);
            } else if (role.parameter) {
                r = "UPDATE RDB$PROCEDURE_PARAMETERS SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" +
                    "WHERE RDB$PROCEDURE_NAME = " + Q(role.fld->OwnName) + " AND RDB$PARAMETER_NAME = " + Q(N);
            } else {
                r = GenComment(D);
            }
            break;
        }
        case udDescribe: {
            const char* word = nullptr;
            if (dynamic_cast<const TDmnData*>(this)) word = "DOMAIN";
            else if (dynamic_cast<const TTblData*>(this)) word = "TABLE";
            else if (dynamic_cast<const TPrcData*>(this)) word = "PROCEDURE";
            else if (dynamic_cast<const TTrgData*>(this)) word = "TRIGGER";
            else if (dynamic_cast<const TExcData*>(this)) word = "EXCEPTION";
            else if (dynamic_cast<const TIdxData*>(this)) word = "INDEX";
            else if (dynamic_cast<const TUdfData*>(this)) word = "FUNCTION";
            else if (dynamic_cast<const TViwData*>(this)) word = "VIEW";
            else if (dynamic_cast<const TGnrData*>(this)) word = "GENERATOR";
            else if (dynamic_cast<const TRolData*>(this)) word = "ROLE";
            if (word) {
                r = std::string("DESCRIBE ") + word + " " + QuoteIdent(N) + "\r\n" + Q(D);
            } else if (role.column) {
                r = "DESCRIBE FIELD " + QuoteIdent(N) + (role.ofView ? " VIEW " : " TABLE ") +
                    QuoteIdent(role.fld->OwnName) + "\r\n" + Q(D);
            } else if (role.parameter) {
                r = "DESCRIBE PARAMETER " + QuoteIdent(N) + " PROCEDURE " + QuoteIdent(role.fld->OwnName) +
                    "\r\n" + Q(D);
            }
            break;
        }
        case udComment: {
            const std::string words = IBCommentWords(this, false);
            if (!words.empty())
                r = "COMMENT ON " + words + " " + QuoteIdent(N) + " IS" + "\r\n" + Q(D);
            else if (role.column)
                r = "COMMENT ON COLUMN " + QuoteIdent(role.fld->OwnName) + "." + QuoteIdent(N) + " IS" + "\r\n" + Q(D);
            else if (role.parameter)
                r = "COMMENT ON PARAMETER " + QuoteIdent(role.fld->OwnName) + "." + QuoteIdent(N) + " IS" + "\r\n" +
                    Q(D);
            break;
        }
    }

    if (version == st_InterBase_2020) {
        const std::string words = IBCommentWords(this, true);
        if (!words.empty())
            r = "ALTER DESCRIPTION FOR " + words + " " + QuoteIdent(N) + " SET" + "\r\n" + Q(D);
        else if (role.column)
            r = "ALTER DESCRIPTION FOR COLUMN " + QuoteIdent(role.fld->OwnName) + "." + QuoteIdent(N) + " SET" +
                "\r\n" + Q(D);
        else if (role.parameter)
            r = "ALTER DESCRIPTION FOR PARAMETER " + QuoteIdent(role.fld->OwnName) + "." + QuoteIdent(N) + " SET" +
                "\r\n" + Q(D);
    }
    return r;
}

std::string TDbObj::ASADescriptionDef() const {
    const FieldRole role = RoleOf(this);
    std::string word;
    switch (fObjType) {
        case dboTable: word = "TABLE"; break;
        case dboProcedure: {
            auto* p = dynamic_cast<const TPrcData*>(this);
            word = p && p->Func ? "FUNCTION" : "PROCEDURE";
            break;
        }
        case dboTrigger: word = "TRIGGER"; break;
        case dboIndex: word = "INDEX"; break;
        case dboDomain: word = "DOMAIN"; break;
        case dboView: word = "VIEW"; break;
        case dboGenerator: word = "SEQUENCE"; break;
        case dboRole: word = "ROLE"; break;
        case dboPackage: word = "PACKAGE"; break;
        default: break;
    }
    if (!word.empty()) return "COMMENT ON " + word + " " + QuoteIdent(fObjName) + " IS" + "\r\n" + Q(fDescription);
    if (role.fld && !role.fld->OwnName.empty())
        return "COMMENT ON COLUMN " + QuoteIdent(role.fld->OwnName) + "." + QuoteIdent(fObjName) + " IS" + "\r\n" +
               ScriptQuotedStr(fDescription, dbSybaseASA);
    return std::string();
}

std::string TDbObj::MySQLDescriptionDef() const {
    if (dynamic_cast<const TTblData*>(this))
        return "ALTER TABLE " + QuoteIdent(fObjName) + " COMMENT = " + ScriptQuotedStr(fDescription, dbMySQL);
    const FieldRole role = RoleOf(this);
    if (role.column && !role.ofView)
        return "ALTER TABLE " + QuoteIdent(role.fld->OwnName) + " MODIFY COLUMN " + QuoteIdent(fObjName) + " " +
               role.fld->TypeDef() + " COMMENT " + ScriptQuotedStr(fDescription, dbMySQL);
    return std::string();
}

std::string TDbObj::OracleDescriptionDef() const {
    const FieldRole role = RoleOf(this);
    const std::string SQD = ScriptQuotedStr(fDescription, dbOracle);
    if (role.column) {
        std::string t = QuoteIdent(role.fld->OwnName);
        if (!t.empty() && role.fld->OwnObj)
            t = TDialectTraits::Qualified(Quoter(), role.fld->OwnObj->fSchema, role.fld->OwnName);
        return "COMMENT ON COLUMN " + t + "." + QuoteIdent(fObjName) + " IS" + "\r\n" + SQD;
    }
    if (auto* trg = dynamic_cast<const TTrgData*>(this); trg && !trg->fOwnName.empty()) {
        const std::string t =
            TDialectTraits::Qualified(Quoter(), trg->fOwnObj ? trg->fOwnObj->fSchema : std::string(), trg->fOwnName);
        return "COMMENT ON TRIGGER " + t + "." + QuoteIdent(fObjName) + " IS" + "\r\n" + SQD;
    }
    std::string word;
    if (dynamic_cast<const TTblData*>(this)) word = "TABLE";
    else if (auto* p = dynamic_cast<const TPrcData*>(this)) word = p->Func ? "FUNCTION" : "PROCEDURE";
    else if (dynamic_cast<const TTrgData*>(this)) word = "TRIGGER";
    else if (dynamic_cast<const TIdxData*>(this)) word = "INDEX";
    else if (fObjType == dboDomain) word = "TYPE";
    else if (dynamic_cast<const TViwData*>(this)) word = "VIEW";
    else if (dynamic_cast<const TGnrData*>(this)) word = "SEQUENCE";
    else if (dynamic_cast<const TRolData*>(this)) word = "ROLE";
    else if (dynamic_cast<const TPkgData*>(this)) word = "PACKAGE";
    if (!word.empty()) return "COMMENT ON " + word + " " + GetObjFullName() + " IS" + "\r\n" + Q(fDescription);
    return "/* COMMENT ON... */";
}

std::string TDbObj::MSSQLDescriptionDef() const {
    const TCustomObjs* objs = fObjs;
    if (!objs) return std::string();
    const TCustomObjs* dialect = (objs->fGenTargetDef && objs->fLinkedObjs) ? objs->fLinkedObjs : objs;
    if (dialect->fMSSQLServerOptions.GetSQLServerVersion() == st_MSSQL2000) return std::string();

    std::string t0, n0, t1, n1, t2, n2;
    const FieldRole role = RoleOf(this);
    if (dynamic_cast<const TSchData*>(this)) {
        t0 = "SCHEMA", n0 = fObjName;
    } else if (auto* d = dynamic_cast<const TDmnData*>(this)) {
        t0 = "SCHEMA", n0 = fSchema;
        t1 = d->SysDataType == "XML SCHEMA COLLECTION" ? "XML SCHEMA COLLECTION" : "TYPE", n1 = fObjName;
    } else if (dynamic_cast<const TTblData*>(this)) {
        t0 = "SCHEMA", n0 = fSchema, t1 = "TABLE", n1 = fObjName;
    } else if (dynamic_cast<const TViwData*>(this)) {
        t0 = "SCHEMA", n0 = fSchema, t1 = "VIEW", n1 = fObjName;
    } else if (auto* p = dynamic_cast<const TPrcData*>(this)) {
        t0 = "SCHEMA", n0 = fSchema, t1 = p->Func ? "FUNCTION" : "PROCEDURE", n1 = fObjName;
    } else if (role.column) {
        t0 = "SCHEMA", n0 = role.fld->OwnObj ? role.fld->OwnObj->fSchema : std::string();
        t1 = role.ofView ? "VIEW" : "TABLE", n1 = role.fld->OwnName;
        t2 = "COLUMN", n2 = fObjName;
    } else if (role.parameter) {
        auto* owner = dynamic_cast<const TPrcData*>(role.fld->OwnObj);
        t0 = "SCHEMA", n0 = owner ? owner->fSchema : std::string();
        t1 = owner && owner->Func ? "FUNCTION" : "PROCEDURE", n1 = role.fld->OwnName;
        t2 = "PARAMETER", n2 = fObjName;
    } else if (auto* trg = dynamic_cast<const TTrgData*>(this)) {
        if (!fSchema.empty()) t0 = "SCHEMA", n0 = fSchema, t1 = "TABLE", n1 = trg->fOwnName, t2 = "TRIGGER", n2 = fObjName;
        else t0 = "TRIGGER", n0 = fObjName;
    } else if (auto* idx = dynamic_cast<const TIdxData*>(this)) {
        t0 = "SCHEMA", n0 = fSchema;
        t1 = objs->Viw.Find(fSchema + "." + idx->TblName) ? "VIEW" : "TABLE", n1 = idx->TblName;
        t2 = "INDEX", n2 = fObjName;
    }
    if (t0.empty() || n0.empty()) return std::string();

    auto SQ = [](const std::string& s) { return ScriptQuotedStr(s, dbMSSQL); };
    const std::int32_t level = dialect->fMSSQLServerOptions.GetMSSQLDatabaseOptions().GetCompatibilityLevel();
    std::string r = level >= 1 && level <= 90 ? "exec dbo.sp_addextendedproperty " : "exec sys.sp_addextendedproperty ";
    r += "@name=N" + SQ("MS_Description") + ", @value=N" + SQ(fDescription) + ", @level0type=N" + SQ(t0) +
         ", @level0name=N" + SQ(n0);
    if (!t1.empty() && !n1.empty()) r += ", @level1type=N" + SQ(t1) + ", @level1name=N" + SQ(n1);
    if (!t2.empty()) r += ", @level2type=N" + SQ(t2) + ", @level2name=N" + SQ(n2);
    return r;
}

std::string TDbObj::PGSQLDescriptionDef() const {
    auto Q = [this](const std::string& aSchema, const std::string& aName) {
        return TDialectTraits::Qualified(Quoter(), aSchema, aName);
    };
    const FieldRole role = RoleOf(this);
    std::string head;
    if (dynamic_cast<const TDmnData*>(this)) head = "DOMAIN " + GetObjFullName();
    else if (dynamic_cast<const TTblData*>(this)) head = "TABLE " + GetObjFullName();
    else if (dynamic_cast<const TViwData*>(this)) head = "VIEW " + GetObjFullName();
    else if (auto* c = dynamic_cast<const TCtrData*>(this))
        head = "CONSTRAINT " + QuoteIdent(fObjName) + " ON " + Q(fSchema, c->fTblName);
    else if (dynamic_cast<const TIdxData*>(this)) head = "INDEX " + GetObjFullName();
    else if (auto* p = dynamic_cast<const TPrcData*>(this))
        head = "FUNCTION " + Q(fSchema, fObjName) + p->ParamDef(false);
    else if (dynamic_cast<const TGnrData*>(this)) head = "SEQUENCE " + GetObjFullName();
    else if (dynamic_cast<const TSchData*>(this)) head = "SCHEMA " + GetObjFullName();
    else if (auto* t = dynamic_cast<const TTrgData*>(this))
        head = "TRIGGER " + QuoteIdent(fObjName) + " ON " + Q(t->fOwnObj ? t->fOwnObj->fSchema : std::string(), t->fOwnName);
    else if (role.column && !role.ofView)
        head = "COLUMN " + Q(role.fld->OwnObj ? role.fld->OwnObj->fSchema : std::string(), role.fld->OwnName) + "." +
               QuoteIdent(fObjName);
    if (head.empty()) return std::string();
    return "COMMENT ON " + head + " IS " + ScriptQuotedStr(fDescription, dbPostgreSQL);
}

}  // namespace dbtwin
