// Description (comment) statements of metadata objects, per database kind.
#include "core/krvStrUtils.h"
#include "model/krvClasses.h"

namespace dbtwin {

namespace {

// Single-quoted literal with doubled quotes.
std::string Q(std::string_view s) { return "'" + ReplaceAll(s, "'", "''") + "'"; }

// The word naming the object's kind in COMMENT ON (InterBase/Firebird), or empty.
std::string IBCommentWords(const TDescriptionTarget& t, bool functionsAsProcedure) {
    switch (t.Kind) {
        case olDmn: return "DOMAIN";
        case olTbl: return "TABLE";
        case olViw: return "VIEW";
        case olPrc: return t.Function && !functionsAsProcedure ? "FUNCTION" : "PROCEDURE";
        case olTrg: return "TRIGGER";
        case olUdf: return "EXTERNAL FUNCTION";
        case olExc: return "EXCEPTION";
        case olGnr: return "GENERATOR";
        case olIdx: return "INDEX";
        case olRol: return "ROLE";
        case olClt: return "COLLATION";
        case olPkg: return "PACKAGE";
        default: return std::string();
    }
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
    const std::string& D = Extra().fDescription;
    const std::string& N = fObjName;
    const TDescriptionTarget role = DescriptionTarget();
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
            switch (role.Kind) {
                case olDmn: table = "RDB$FIELDS", key = "RDB$FIELD_NAME"; break;
                case olTbl:
                case olViw: table = "RDB$RELATIONS", key = "RDB$RELATION_NAME"; break;
                case olPrc: table = "RDB$PROCEDURES", key = "RDB$PROCEDURE_NAME"; break;
                case olTrg: table = "RDB$TRIGGERS", key = "RDB$TRIGGER_NAME"; break;
                case olExc: table = "RDB$EXCEPTIONS", key = "RDB$EXCEPTION_NAME"; break;
                case olIdx: table = "RDB$INDICES", key = "RDB$INDEX_NAME"; break;
                case olUdf: table = "RDB$FUNCTIONS", key = "RDB$FUNCTION_NAME"; break;
                case olGnr: table = "RDB$GENERATORS", key = "RDB$GENERATOR_NAME"; break;
                case olRol: table = "RDB$ROLES", key = "RDB$ROLE_NAME"; break;
                default: break;
            }
            if (table) {
                r = std::string("UPDATE ") + table + " SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" + "WHERE " + key +
                    " = " + Q(N);
            } else if (role.Column) {
                r = "UPDATE RDB$RELATION_FIELDS SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" +
                    "WHERE RDB$RELATION_NAME = " + Q(role.OwnerName) + " AND RDB$FIELD_NAME = " + Q(N);
            } else if (role.Parameter) {
                r = "UPDATE RDB$PROCEDURE_PARAMETERS SET RDB$DESCRIPTION = \r\n" + Q(D) + "\r\n" +
                    "WHERE RDB$PROCEDURE_NAME = " + Q(role.OwnerName) + " AND RDB$PARAMETER_NAME = " + Q(N);
            } else {
                r = GenComment(D);
            }
            break;
        }
        case udDescribe: {
            const char* word = nullptr;
            switch (role.Kind) {
                case olDmn: word = "DOMAIN"; break;
                case olTbl: word = "TABLE"; break;
                case olPrc: word = "PROCEDURE"; break;
                case olTrg: word = "TRIGGER"; break;
                case olExc: word = "EXCEPTION"; break;
                case olIdx: word = "INDEX"; break;
                case olUdf: word = "FUNCTION"; break;
                case olViw: word = "VIEW"; break;
                case olGnr: word = "GENERATOR"; break;
                case olRol: word = "ROLE"; break;
                default: break;
            }
            if (word) {
                r = std::string("DESCRIBE ") + word + " " + QuoteIdent(N) + "\r\n" + Q(D);
            } else if (role.Column) {
                r = "DESCRIBE FIELD " + QuoteIdent(N) + (role.OfView ? " VIEW " : " TABLE ") +
                    QuoteIdent(role.OwnerName) + "\r\n" + Q(D);
            } else if (role.Parameter) {
                r = "DESCRIBE PARAMETER " + QuoteIdent(N) + " PROCEDURE " + QuoteIdent(role.OwnerName) +
                    "\r\n" + Q(D);
            }
            break;
        }
        case udComment: {
            const std::string words = IBCommentWords(role, false);
            if (!words.empty())
                r = "COMMENT ON " + words + " " + QuoteIdent(N) + " IS" + "\r\n" + Q(D);
            else if (role.Column)
                r = "COMMENT ON COLUMN " + QuoteIdent(role.OwnerName) + "." + QuoteIdent(N) + " IS" + "\r\n" + Q(D);
            else if (role.Parameter)
                r = "COMMENT ON PARAMETER " + QuoteIdent(role.OwnerName) + "." + QuoteIdent(N) + " IS" + "\r\n" +
                    Q(D);
            break;
        }
    }

    if (version == st_InterBase_2020) {
        const std::string words = IBCommentWords(role, true);
        if (!words.empty())
            r = "ALTER DESCRIPTION FOR " + words + " " + QuoteIdent(N) + " SET" + "\r\n" + Q(D);
        else if (role.Column)
            r = "ALTER DESCRIPTION FOR COLUMN " + QuoteIdent(role.OwnerName) + "." + QuoteIdent(N) + " SET" +
                "\r\n" + Q(D);
        else if (role.Parameter)
            r = "ALTER DESCRIPTION FOR PARAMETER " + QuoteIdent(role.OwnerName) + "." + QuoteIdent(N) + " SET" +
                "\r\n" + Q(D);
    }
    return r;
}

std::string TDbObj::ASADescriptionDef() const {
    const TDescriptionTarget role = DescriptionTarget();
    std::string word;
    switch (fObjType) {
        case dboTable: word = "TABLE"; break;
        case dboProcedure: word = role.Kind == olPrc && role.Function ? "FUNCTION" : "PROCEDURE"; break;
        case dboTrigger: word = "TRIGGER"; break;
        case dboIndex: word = "INDEX"; break;
        case dboDomain: word = "DOMAIN"; break;
        case dboView: word = "VIEW"; break;
        case dboGenerator: word = "SEQUENCE"; break;
        case dboRole: word = "ROLE"; break;
        case dboPackage: word = "PACKAGE"; break;
        default: break;
    }
    if (!word.empty()) return "COMMENT ON " + word + " " + QuoteIdent(fObjName) + " IS" + "\r\n" + Q(Extra().fDescription);
    if (role.Field && !role.OwnerName.empty())
        return "COMMENT ON COLUMN " + QuoteIdent(role.OwnerName) + "." + QuoteIdent(fObjName) + " IS" + "\r\n" +
               ScriptQuotedStr(Extra().fDescription, dbSybaseASA);
    return std::string();
}

std::string TDbObj::MySQLDescriptionDef() const {
    const TDescriptionTarget role = DescriptionTarget();
    if (role.Kind == olTbl)
        return "ALTER TABLE " + QuoteIdent(fObjName) + " COMMENT = " + ScriptQuotedStr(Extra().fDescription, dbMySQL);
    if (role.Column && !role.OfView)
        return "ALTER TABLE " + QuoteIdent(role.OwnerName) + " MODIFY COLUMN " + QuoteIdent(fObjName) + " " +
               role.ColumnType + " COMMENT " + ScriptQuotedStr(Extra().fDescription, dbMySQL);
    return std::string();
}

std::string TDbObj::OracleDescriptionDef() const {
    const TDescriptionTarget role = DescriptionTarget();
    const std::string SQD = ScriptQuotedStr(Extra().fDescription, dbOracle);
    if (role.Column) {
        std::string t = QuoteIdent(role.OwnerName);
        if (!t.empty() && role.Owner)
            t = TDialectTraits::Qualified(Quoter(), role.Owner->fSchema, role.OwnerName);
        return "COMMENT ON COLUMN " + t + "." + QuoteIdent(fObjName) + " IS" + "\r\n" + SQD;
    }
    if (role.Kind == olTrg && !role.OwnerName.empty()) {
        const std::string t = TDialectTraits::Qualified(
            Quoter(), role.Owner ? role.Owner->fSchema.str() : std::string(), role.OwnerName);
        return "COMMENT ON TRIGGER " + t + "." + QuoteIdent(fObjName) + " IS" + "\r\n" + SQD;
    }
    std::string word;
    if (role.Kind == olTbl) word = "TABLE";
    else if (role.Kind == olPrc) word = role.Function ? "FUNCTION" : "PROCEDURE";
    else if (role.Kind == olTrg) word = "TRIGGER";
    else if (role.Kind == olIdx) word = "INDEX";
    else if (fObjType == dboDomain) word = "TYPE";
    else if (role.Kind == olViw) word = "VIEW";
    else if (role.Kind == olGnr) word = "SEQUENCE";
    else if (role.Kind == olRol) word = "ROLE";
    else if (role.Kind == olPkg) word = "PACKAGE";
    if (!word.empty()) return "COMMENT ON " + word + " " + GetObjFullName() + " IS" + "\r\n" + Q(Extra().fDescription);
    return "/* COMMENT ON... */";
}

std::string TDbObj::MSSQLDescriptionDef() const {
    const TCustomObjs* objs = fObjs;
    if (!objs) return std::string();
    const TCustomObjs* dialect = (objs->fGenTargetDef && objs->fLinkedObjs) ? objs->fLinkedObjs : objs;
    if (dialect->fMSSQLServerOptions.GetSQLServerVersion() == st_MSSQL2000) return std::string();

    std::string t0, n0, t1, n1, t2, n2;
    const TDescriptionTarget role = DescriptionTarget();
    if (role.Kind == olSch) {
        t0 = "SCHEMA", n0 = fObjName;
    } else if (role.Kind == olDmn) {
        t0 = "SCHEMA", n0 = fSchema;
        t1 = role.TypeWord, n1 = fObjName;
    } else if (role.Kind == olTbl) {
        t0 = "SCHEMA", n0 = fSchema, t1 = "TABLE", n1 = fObjName;
    } else if (role.Kind == olViw) {
        t0 = "SCHEMA", n0 = fSchema, t1 = "VIEW", n1 = fObjName;
    } else if (role.Kind == olPrc) {
        t0 = "SCHEMA", n0 = fSchema, t1 = role.Function ? "FUNCTION" : "PROCEDURE", n1 = fObjName;
    } else if (role.Column) {
        t0 = "SCHEMA", n0 = role.Owner ? role.Owner->fSchema.str() : std::string();
        t1 = role.OfView ? "VIEW" : "TABLE", n1 = role.OwnerName;
        t2 = "COLUMN", n2 = fObjName;
    } else if (role.Parameter) {
        // A parameter with an owner is owned by a procedure.
        const TDbObj* owner = role.Owner;
        t0 = "SCHEMA", n0 = owner ? owner->fSchema.str() : std::string();
        t1 = owner && owner->DescriptionTarget().Function ? "FUNCTION" : "PROCEDURE", n1 = role.OwnerName;
        t2 = "PARAMETER", n2 = fObjName;
    } else if (role.Kind == olTrg) {
        if (!fSchema.empty()) t0 = "SCHEMA", n0 = fSchema, t1 = "TABLE", n1 = role.OwnerName, t2 = "TRIGGER", n2 = fObjName;
        else t0 = "TRIGGER", n0 = fObjName;
    } else if (role.Kind == olIdx) {
        t0 = "SCHEMA", n0 = fSchema;
        t1 = objs->Viw.FindObject(fSchema + "." + role.OwnerName) ? "VIEW" : "TABLE", n1 = role.OwnerName;
        t2 = "INDEX", n2 = fObjName;
    }
    if (t0.empty() || n0.empty()) return std::string();

    auto SQ = [](const std::string& s) { return ScriptQuotedStr(s, dbMSSQL); };
    const std::int32_t level = dialect->fMSSQLServerOptions.GetMSSQLDatabaseOptions().GetCompatibilityLevel();
    std::string r = level >= 1 && level <= 90 ? "exec dbo.sp_addextendedproperty " : "exec sys.sp_addextendedproperty ";
    r += "@name=N" + SQ("MS_Description") + ", @value=N" + SQ(Extra().fDescription) + ", @level0type=N" + SQ(t0) +
         ", @level0name=N" + SQ(n0);
    if (!t1.empty() && !n1.empty()) r += ", @level1type=N" + SQ(t1) + ", @level1name=N" + SQ(n1);
    if (!t2.empty()) r += ", @level2type=N" + SQ(t2) + ", @level2name=N" + SQ(n2);
    return r;
}

std::string TDbObj::PGSQLDescriptionDef() const {
    auto Q = [this](const std::string& aSchema, const std::string& aName) {
        return TDialectTraits::Qualified(Quoter(), aSchema, aName);
    };
    const TDescriptionTarget role = DescriptionTarget();
    const std::string ownerSchema = role.Owner ? role.Owner->fSchema.str() : std::string();
    std::string head;
    switch (role.Kind) {
        case olDmn: head = "DOMAIN " + GetObjFullName(); break;
        case olTbl: head = "TABLE " + GetObjFullName(); break;
        case olViw: head = "VIEW " + GetObjFullName(); break;
        case olCtr: head = "CONSTRAINT " + QuoteIdent(fObjName) + " ON " + Q(fSchema, role.OwnerName); break;
        case olIdx: head = "INDEX " + GetObjFullName(); break;
        case olPrc: head = "FUNCTION " + Q(fSchema, fObjName) + role.Signature; break;
        case olGnr: head = "SEQUENCE " + GetObjFullName(); break;
        case olSch: head = "SCHEMA " + GetObjFullName(); break;
        case olTrg: head = "TRIGGER " + QuoteIdent(fObjName) + " ON " + Q(ownerSchema, role.OwnerName); break;
        default:
            if (role.Column && !role.OfView)
                head = "COLUMN " + Q(ownerSchema, role.OwnerName) + "." + QuoteIdent(fObjName);
            break;
    }
    if (head.empty()) return std::string();
    return "COMMENT ON " + head + " IS " + ScriptQuotedStr(Extra().fDescription, dbPostgreSQL);
}

}  // namespace dbtwin
