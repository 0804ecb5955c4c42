#include "objects/krvCompColumn.h"

#include "core/krvStrUtils.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {

const std::array<const char*, 97> FieldTypeNames = {
    "? DataType", "INTEGER", "BIGINT", "FLOAT", "DOUBLE PRECISION", "FLOAT4", "FLOAT8",
    "DECFLOAT", "TINYINT", "REAL", "DOUBLE", "NUMBER", "LONG", "LONG RAW", "VARCHAR", "CHAR",
    "LONG VARCHAR", "VARCHAR2", "DATE", "TIME", "TIMESTAMP", "TIME", "TIMESTAMP", "DATETIME",
    "DATETIME2", "SMALLDATETIME", "DATETIMEOFFSET", "GRAPHIC", "VARGRAPHIC", "Geometry",
    "Point", "Curve", "LineString", "Surface", "Polygon", "GeometryCollection", "MultiPoint",
    "MultiCurve", "MultiLineString", "MultiSurface", "MultiPolygon", "BLOB", "CLOB", "DBCLOB",
    "BINARY", "LONG BINARY", "NUMERIC", "DECIMAL", "TEXT", "NCHAR", "NVARCHAR", "NVARCHAR2",
    "NTEXT", "NCLOB", "SMALLINT", "QUAD", "CSTRING", "NATIONAL CHAR", "RAW", "ROWID", "UROWID",
    "MEDIUMINT", "YEAR", "TINYBLOB", "MEDIUMBLOB", "LONGBLOB", "TINYTEXT", "MEDIUMTEXT",
    "LONGTEXT", "ENUM", "SET", "BIT", "VARBIT", "MONEY", "SMALLMONEY", "GUID", "VARBINARY",
    "IMAGE", "BFILE", "UNIQUEIDENTIFIER", "SYSNAME", "SQL_VARIANT", "CURSOR", "CURSOR VARYING",
    "TABLE", "XML", "INTERVAL YEAR TO MONTH", "INTERVAL DAY TO SECOND", "SERIAL", "BIGSERIAL",
    "BYTEA", "INTERVAL", "INT2", "INT4", "INT8", "OID", "BOOLEAN"};

namespace {
// The type keywords in lower case, as PostgreSQL texts write them.
const std::string& LowerTypeName(std::size_t aOrd) {
    static const std::array<std::string, 97> names = [] {
        std::array<std::string, 97> r;
        for (std::size_t i = 0; i < r.size(); ++i) r[i] = LowerCase(FieldTypeNames[i]);
        return r;
    }();
    return names[aOrd];
}
}  // namespace

TDBFieldType FieldTypeByName(std::string_view aName) {
    const std::string name = UpperCase(aName);
    for (std::size_t i = 0; i < FieldTypeNames.size(); ++i)
        if (name == FieldTypeNames[i]) return static_cast<TDBFieldType>(i);
    return iftUnknown;
}

namespace {

std::string Num(std::int32_t n) { return std::to_string(n); }

// "(p)" or "(p,s)" when a precision is set; nothing otherwise.
std::string PrecScale(std::int32_t aPrecision, std::int32_t aScale) {
    if (aPrecision == 0) return std::string();
    std::string r = "(" + Num(aPrecision);
    if (aScale != 0) r += "," + Num(aScale);
    return r + ")";
}

// The value of a text that is exactly one string literal delimited by aQuote (a doubled
// delimiter stands for one; with aBackslash, MySQL backslash escapes are decoded too).
// False when the text is not one whole literal.
bool DecodeLiteral(std::string_view s, char aQuote, bool aBackslash, std::string& aValue) {
    aValue.clear();
    if (s.size() < 2 || s.front() != aQuote) return false;
    std::size_t i = 1;
    while (i < s.size()) {
        const char c = s[i];
        if (c == aQuote) {
            if (i + 1 < s.size() && s[i + 1] == aQuote) {
                aValue += aQuote;
                i += 2;
                continue;
            }
            return i + 1 == s.size();
        }
        if (aBackslash && c == '\\' && i + 1 < s.size()) {
            const char e = s[i + 1];
            switch (e) {
                case '0': aValue += '\0'; break;
                case 'b': aValue += '\b'; break;
                case 'n': aValue += '\n'; break;
                case 'r': aValue += '\r'; break;
                case 't': aValue += '\t'; break;
                case 'Z': aValue += '\x1A'; break;
                // The server keeps the backslash of these two (they are LIKE escapes).
                case '%': aValue += "\\%"; break;
                case '_': aValue += "\\_"; break;
                default: aValue += e;
            }
            i += 2;
            continue;
        }
        aValue += c;
        ++i;
    }
    return false;
}

bool IsCharLengthType(TDBFieldType t) {
    switch (t) {
        case iftVarchar: case iftChar: case iftBinary: case iftNChar: case iftNVarChar:
        case iftVarBinary:
            return true;
        default:
            return false;
    }
}

const char* InOutWord(TParamInOutType aInOut) {
    switch (aInOut) {
        case ioIn: return "in";
        case ioOut: return "out";
        case ioInout: return "inout";
        default: return nullptr;
    }
}

}  // namespace

TFldData::TFldData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboField; }

TFldData::~TFldData() = default;

TFldRare::TFldRare() = default;
TFldRare::~TFldRare() = default;

const TFldRare TFldData::fNoRare;

TFldRare& TFldData::EditRare() {
    if (!fRare) fRare = std::make_unique<TFldRare>();
    return *fRare;
}

std::string TFldData::GetDefValue() const {
    std::string value;
    if (DecodeLiteral(Rare().FDefValue, '"', GetDatabaseType() == dbMySQL, value))
        return ScriptQuotedStr(value, GetDatabaseType());
    return Rare().FDefValue;
}

TGnrData* TFldData::GetSeqData() {
    if (!EditRare().SeqData) EditRare().SeqData = std::make_unique<TGnrData>(fObjs, this);
    return Rare().SeqData.get();
}

void TFldData::Assign(const TFldData& Source) {
    fObjType = Source.fObjType;
    SetObjName(Source.fObjName);
    FieldType = Source.FieldType;
    FieldLength = Source.FieldLength;
    CharLength = Source.CharLength;
    FldType = Source.FldType;
    Precision = Source.Precision;
    Scale = Source.Scale;
    Nullable = Source.Nullable;
    Position = Source.Position;
    SetDefValue(Source.GetDefValue());
    Exists = Source.Exists;
    Compare = Source.Compare;
    fBody = Source.fBody;
    if (!Source.Extra().fDescription.empty() || !Extra().fDescription.empty()) EditExtra().fDescription = Source.Extra().fDescription;
    InOut = Source.InOut;
    AutoInc = Source.AutoInc;
    Binary = Source.Binary;
    DBPosition = Source.DBPosition;
    Identity = Source.Identity;
    // The optional attributes: copied (defaults included) once either side holds some.
    if (Source.fRare || fRare) {
        TFldRare& r = EditRare();
        const TFldRare& src = Source.Rare();
        r.DomainName = src.DomainName;
        r.DomainSchema = src.DomainSchema;
        r.CharSet = src.CharSet;
        r.CharSetID = src.CharSetID;
        r.CheckDef = src.CheckDef;
        r.Collation = src.Collation;
        r.CollationID = src.CollationID;
        r.BlobSubType = src.BlobSubType;
        r.BlobSubTypeIdent = src.BlobSubTypeIdent;
        r.BlobSegSize = src.BlobSegSize;
        r.FncByValue = src.FncByValue;
        r.FncByDescriptor = src.FncByDescriptor;
        r.FncParameter = src.FncParameter;
        r.ComputedTyped = src.ComputedTyped;
        r.IndexSortType = src.IndexSortType;
        r.TypeOf = src.TypeOf;
        r.TypeOfTbl = src.TypeOfTbl;
        r.TypeOfFld = src.TypeOfFld;
        r.Compact = src.Compact;
        r.CtrName = src.CtrName;
        r.IdentitySeed = src.IdentitySeed;
        r.IdentityIncrement = src.IdentityIncrement;
        r.Generated = src.Generated;
        r.GeneratedAs = src.GeneratedAs;
        r.NotForReplication = src.NotForReplication;
        r.RowGuidCol = src.RowGuidCol;
        r.RuleName = src.RuleName;
        r.Persisted = src.Persisted;
        r.XmlBody = src.XmlBody;
        r.RefToType = src.RefToType;
        r.WithTimeZone = src.WithTimeZone;
        r.WithLocalTimeZone = src.WithLocalTimeZone;
        r.KeyName = src.KeyName;
        r.Logged = src.Logged;
        r.ForBitData = src.ForBitData;
        r.JavaLang = src.JavaLang;
        r.JavaLangType = src.JavaLangType;
    }
}

void TFldData::AssignDataType(const TFldData& Source) {
    FieldType = Source.FieldType;
    FieldLength = Source.FieldLength;
    CharLength = Source.CharLength;
    FldType = Source.FldType;
    Precision = Source.Precision;
    Scale = Source.Scale;
    fBody = Source.fBody;
    // The optional attributes: copied (defaults included) once either side holds some.
    if (Source.fRare || fRare) {
        TFldRare& r = EditRare();
        const TFldRare& src = Source.Rare();
        r.DomainName = src.DomainName;
        r.CharSet = src.CharSet;
        r.CharSetID = src.CharSetID;
        r.Collation = src.Collation;
        r.CollationID = src.CollationID;
        r.BlobSubType = src.BlobSubType;
        r.BlobSubTypeIdent = src.BlobSubTypeIdent;
        r.BlobSegSize = src.BlobSegSize;
        r.TypeOf = src.TypeOf;
        r.TypeOfTbl = src.TypeOfTbl;
        r.TypeOfFld = src.TypeOfFld;
        r.ComputedTyped = src.ComputedTyped;
    }
}

bool TFldData::ArrayBoundsDiff(const TFldData& aOther) const { return Rare().ArrayBounds != aOther.Rare().ArrayBounds; }

TDBFieldType TFldData::FldTypeFromIbType(std::int32_t IbType, std::int32_t IbSubType) {
    switch (IbType) {
        case 7: return iftSmallInt;
        case 8: return iftInteger;
        case 9: return iftQuad;
        case 10: return iftFloat;
        case 12: return iftDate;
        case 13: return iftTime;
        case 14: return IbSubType == 1 ? iftBinary : iftChar;
        case 16: return iftBigInt;
        case 17: case 23: return iftBoolean;
        case 24: case 25: return iftDecFloat;
        case 26: return iftNumeric;
        case 27: return iftDoublePrecision;
        case 28: EditRare().WithTimeZone = true; return iftTime;
        case 29: EditRare().WithTimeZone = true; return iftTimeStamp;
        case 35: {
            const TIBSQLDialectType dialect = fObjs ? fObjs->fIBServerOptions.GetSQLDialect() : 3;
            return dialect == 3 ? iftTimeStamp : iftDate;
        }
        case 37: return IbSubType == 1 ? iftVarBinary : iftVarchar;
        case 40: return iftCstring;
        case 261: return iftBlob;
        default: return iftUnknown;
    }
}

bool TFldData::IsCharType() const {
    switch (FieldType) {
        case iftVarchar: case iftChar: case iftNChar: case iftCstring: return true;
        case iftBlob: return Rare().BlobSubType == 1;
        case iftDomain: {
            const TDmnData* dmn = GetDmnData();
            return dmn && dmn->fData && dmn->fData->FieldType != iftDomain && dmn->fData->IsCharType();
        }
        default: return false;
    }
}

TDmnData* TFldData::GetDmnData() const {
    if (FieldType != iftDomain || !fObjs || Rare().DomainName.empty()) return nullptr;
    if (TDmnData* d = fObjs->Dmn.Find(Rare().DomainName)) return d;
    if (!Rare().DomainSchema.empty()) return fObjs->Dmn.Find(SchObjName(Rare().DomainSchema, Rare().DomainName));
    return nullptr;
}

std::string TFldData::DefaultCharSet() const {
    if (!IsCharType()) return std::string();
    if (!Rare().CharSet.empty()) return Rare().CharSet;
    if (const TDmnData* dmn = GetDmnData(); dmn && dmn->fData && !dmn->fData->Rare().CharSet.empty())
        return dmn->fData->Rare().CharSet;
    if (GetDatabaseType() == dbInterBase) return IBOptions().GetDBCharSet();
    return std::string();
}

void TFldData::GetCharsetCollation(std::int32_t aCharsetID, const std::string& aCharsetName,
                                   const std::string& aCollationName, std::int32_t aCollationID) {
    if (IsCharType()) {
        EditRare().CharSetID = aCharsetID;
        EditRare().CharSet = aCharsetName;
        EditRare().Collation = aCollationName;
        EditRare().CollationID = aCollationID;
        bool dropCollation;
        if (FieldType == iftDomain) {
            const TDmnData* dmn = GetDmnData();
            dropCollation = dmn && dmn->fData && SameText(Rare().Collation, dmn->fData->Rare().Collation);
        } else {
            dropCollation = SameText(Rare().Collation, DefaultCharSet());
        }
        if (dropCollation) {
            EditRare().Collation.clear();
            EditRare().CollationID = 0;
        }
        const std::string& dbCharSet = IBOptions().GetDBCharSet();
        if (SameText(aCharsetName, dbCharSet) || (SameText(aCharsetName, "NONE") && dbCharSet.empty())) {
            EditRare().CharSet.clear();
            EditRare().CharSetID = 0;
        }
    } else {
        EditRare().Collation.clear();
        EditRare().CollationID = 0;
    }
    if (IsComputed()) {
        EditRare().CharSet.clear();
        EditRare().CharSetID = 0;
        EditRare().Collation.clear();
        EditRare().CollationID = 0;
    }
}

bool TFldData::InOutFirst() const {
    const auto* prc = dynamic_cast<const TPrcData*>(OwnObj);
    return prc && !prc->Language.empty();
}

bool TFldData::OwnerIsProcedure() const { return dynamic_cast<const TPrcData*>(OwnObj) != nullptr; }

const TIBServerOptions& TFldData::IBOptions() const {
    static const TIBServerOptions defaults;
    const TIBServerOptions* ib = GetIBServerOptions();
    return ib ? *ib : defaults;
}

std::string TFldData::FieldTypeDef() const {
    if (Rare().FncParameter != 0) return "PARAMETER " + Num(Rare().FncParameter);
    const TDatabaseType db = GetDatabaseType();
    if (FieldType == iftDomain) {
        std::string r = Rare().TypeOf ? "TYPE OF " : "";
        if (!Rare().TypeOfTbl.empty() && !Rare().TypeOfFld.empty())
            return r + "COLUMN " + QuoteIdent(Rare().TypeOfTbl) + "." + QuoteIdent(Rare().TypeOfFld);
        return r + QuoteIdent(Rare().DomainName);
    }
    if (IsComputed()) {
        // A Firebird computed column written with a type keeps it (the server derives one only
        // when none is written). A type read from a catalog may be such a derived one, which
        // would go stale when what the expression uses changes: it is not written.
        if (db != dbInterBase || !Rare().ComputedTyped || FieldType == iftUnknown) return (db == dbMSSQL ? "AS " : "COMPUTED BY ") + fBody;
        return StoredTypeDef() + " COMPUTED BY " + fBody;
    }
    return StoredTypeDef();
}

std::string TFldData::StoredTypeDef() const {
    const TDatabaseType db = GetDatabaseType();
    const std::size_t ord = FieldType < FieldTypeNames.size() ? FieldType : iftUnknown;
    std::string r = db == dbPostgreSQL ? LowerTypeName(ord) : std::string(FieldTypeNames[ord]);
    const TIBServerOptions& ib = IBOptions();
    const TIBSQLServerVersionType ver = ib.GetSQLServerVersion();

    if (db == dbPostgreSQL) {
        if (FieldType == iftTimeTZ || FieldType == iftTimeStampTZ) {
            if (Precision != 0) r += "(" + Num(Precision) + ")";
            r += " with time zone";
        }
    }
    if (db == dbInterBase) {
        if (FieldType == iftBigInt && ver == st_InterBase_2020) r = FieldTypeNames[iftInteger];
        if ((FieldType == iftChar || FieldType == iftNChar) && CharLength > 1)
            r += "(" + Num(CharLength) + ")";
        if ((FieldType == iftVarchar || FieldType == iftNVarChar || FieldType == iftCstring) && CharLength > 0)
            r += "(" + Num(CharLength) + ")";
        if (ver == st_Firebird_40) {
            if (FieldType == iftBinary || FieldType == iftVarBinary) r += "(" + Num(CharLength) + ")";
            if ((FieldType == iftTime || FieldType == iftTimeStamp) && Rare().WithTimeZone) r += " WITH TIME ZONE";
        }
    } else if (IsCharLengthType(FieldType) || FieldType == iftVarChar2 || FieldType == iftCstring) {
        if (CharLength > 1) r += "(" + Num(CharLength) + ")";
        else if (CharLength == -1) r += "(MAX)";
    }
    if (db == dbInterBase && !Rare().ArrayBounds.empty()) {
        r += " [";
        for (std::size_t i = 0; i < Rare().ArrayBounds.size(); ++i) {
            if (i) r += ", ";
            r += Num(Rare().ArrayBounds[i].LowerBound) + ":" + Num(Rare().ArrayBounds[i].UpperBound);
        }
        r += "]";
    }
    if (FieldType == iftBlob) {
        if (Rare().BlobSubType != 0) r += " SUB_TYPE " + Num(Rare().BlobSubType);
        if (Rare().BlobSegSize != 0 && Rare().BlobSegSize != 80 && !dynamic_cast<const TUdfData*>(OwnObj))
            r += " SEGMENT SIZE " + Num(Rare().BlobSegSize);
    }
    if (FieldType == iftNumber || FieldType == iftNumeric || FieldType == iftDecimal)
        r += PrecScale(Precision, Scale);
    if (FieldType == iftDecFloat && Precision != 0 && Precision != 34) r += "(" + Num(Precision) + ")";
    if (db == dbInterBase && ib.GetSQLDialect() != 3 && (FieldType == iftTime || FieldType == iftTimeStamp))
        r = "DATE";
    return r;
}

std::string TFldData::TypeDef() const {
    switch (GetDatabaseType()) {
        case dbSybaseASA: return ASATypeDef();
        case dbMySQL: return MySQLTypeDef();
        case dbOracle: return OracleTypeDef();
        case dbMSSQL: return MSSQLTypeDef();
        case dbPostgreSQL: return PGSQLTypeDef();
        case dbDB2: return DB2TypeDef();
        case dbSybaseASE: return ASETypeDef();
        default: return IBTypeDef();
    }
}

std::string TFldData::Def() const {
    std::string r;
    const bool inOutFirst = InOutFirst();
    if (inOutFirst)
        if (const char* w = InOutWord(InOut)) r += std::string(w) + " ";
    const TDatabaseType db = GetDatabaseType();
    if (!fObjName.empty()) {
        r += (db == dbMSSQL && OwnerIsProcedure()) ? fObjName : GetObjFullName();
        r += " ";
    }
    r += TypeDef();
    if (db == dbSybaseASE && !inOutFirst)
        if (const char* w = InOutWord(InOut)) r += std::string(" ") + w;
    return r;
}

std::string TFldData::CreateDef() const {
    const TDatabaseType db = GetDatabaseType();
    std::string r = "ALTER TABLE ";
    if (!OwnObj)
        r += QuoteIdent(OwnName);
    else
        r += DialectTraits(db).TableName(Quoter(), OwnObj->fSchema, OwnObj->Extra().OwnUser, OwnObj->GetRefObjName());
    r += " ADD " + Def();
    // MySQL places a new column: after the nearest master column that is there by now, or
    // first. The column order step relies on this.
    if (db == dbMySQL)
        if (const auto* table = dynamic_cast<const TTblData*>(OwnObj)) {
            std::string after;
            for (const TFldData* f : table->Flds) {
                if (f == this) break;
                if (f->GetObjCreated()) after = f->fObjName;
            }
            r += after.empty() ? std::string(" FIRST") : " AFTER " + QuoteIdent(after);
        }
    // A new NOT NULL column needs its default in the same statement.
    if (db == dbMSSQL && !Nullable)
        for (const auto& l : fUseIn) {
            auto* c = dynamic_cast<TCtrData*>(l->Obj);
            if (!c || c->fCtType != ctDefault || c->Flds.Count() != 1) continue;
            if (!SameText(c->Flds.Objects(0)->fObjName, fObjName)) continue;
            const std::string text = c->ConstraintDef(true);
            if (!text.empty()) r += " " + text;
            c->SetObjCreated(true);
        }
    return r;
}

std::string TFldData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    const std::string name = QuoteIdent(fObjName);
    // The owner table is named as in its own statements; a column without a table, by its
    // owner name alone.
    const auto* t = dynamic_cast<const TTblData*>(OwnObj);
    const std::string table = t ? DialectTraits(db).TableName(Quoter(), t->fSchema, t->Extra().OwnUser, t->fObjName)
                                : QuoteIdent(OwnName);
    switch (db) {
        case dbMSSQL: return "ALTER TABLE " + table + " DROP COLUMN " + name;
        case dbOracle: return "ALTER TABLE " + table + " DROP (" + name + ")";
        default: return "ALTER TABLE " + table + " DROP " + name;
    }
}

std::string TFldData::IBTypeDef() const {
    std::string r = FieldTypeDef();
    if (Rare().FncParameter != 0) return r;
    if (Rare().FncByDescriptor) r += " BY DESCRIPTOR";
    if (Rare().FncByValue) r += " BY VALUE";

    const TIBServerOptions& ib = IBOptions();
    const TIBSQLServerVersionType ver = ib.GetSQLServerVersion();
    const bool charSetCompare = ib.GetIBCompareOptions().GetFldCharsetCompare();
    if (!Rare().CharSet.empty() && Rare().DomainName.empty() && !IsComputed() && charSetCompare &&
        (!SameText(Rare().CharSet, ib.GetDBCharSet()) || !Rare().Collation.empty()))
        r += " CHARACTER SET " + Rare().CharSet;

    // Identity columns exist from Firebird 3.0 on.
    const bool identity = Identity && (ver == st_Firebird_30 || ver == st_Firebird_40);
    if (identity) {
        r += " GENERATED BY DEFAULT AS IDENTITY";
        if (Rare().IdentitySeed != 0) r += " (START WITH " + Num(Rare().IdentitySeed) + ")";
    }

    const std::string d = GetDefValue();
    bool writeDefault = !d.empty();
    if (writeDefault && FieldType == iftDomain)
        if (const TDmnData* dmn = GetDmnData(); dmn && dmn->fData)
            writeDefault = Rare().TypeOf || d != dmn->fData->GetDefValue();
    if (writeDefault) {
        if (OwnerIsProcedure()) {
            // Parameter defaults exist from Firebird 2.0 and InterBase 7 on; column defaults
            // in every version.
            const bool paramDefaults = ver == st_InterBase_7x || ver == st_InterBase_75 ||
                                       ver >= st_Firebird_20;
            if (paramDefaults && InOut != ioOut) r += " = " + d;
        } else {
            r += " DEFAULT " + d;
        }
    }
    // An identity column is NOT NULL by itself; without the identity clause the constraint
    // must stay.
    if (!Nullable && !identity) r += " NOT NULL";
    if (!Rare().CheckDef.empty()) r += " CHECK" + Rare().CheckDef;
    if (charSetCompare && !Rare().Collation.empty()) r += " COLLATE " + Rare().Collation;
    return r;
}

std::string TFldData::MySQLTypeDef() const {
    std::string r = FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
    const bool lengthType = FieldType == iftVarchar || FieldType == iftChar || FieldType == iftBinary ||
                            FieldType == iftNationalChar || FieldType == iftVarBinary;
    if (lengthType && CharLength != 0) {
        r += "(" + Num(CharLength) + ")";
    } else if (FieldType == iftEnum || FieldType == iftSet) {
        r += "(";
        for (std::size_t i = 0; i < Rare().EnumValues.size(); ++i) r += (i ? ", " : "") + Rare().EnumValues[i];
        r += ")";
    } else if (FieldType == iftFloat || FieldType == iftDouble || FieldType == iftNumeric ||
               FieldType == iftDecimal) {
        r += PrecScale(Precision, Scale);
    } else if (Precision != 0) {
        r += "(" + Num(Precision) + ")";
    }
    if (!Rare().CharSet.empty()) r += " CHARACTER SET " + Rare().CharSet;
    if (!Rare().Collation.empty()) r += " COLLATE " + Rare().Collation;
    if (Unsigned) r += " UNSIGNED";
    if (ZeroFill) r += " ZEROFILL";
    if (Binary) r += " BINARY";
    if (!Nullable) r += " NOT NULL";
    const std::string d = GetDefValue();
    if (!d.empty()) {
        std::string value;
        // A literal is decoded by the server's own rules and written again, so backslashes
        // and quotes keep their meaning.
        if (d.front() == '\'' && DecodeLiteral(d, '\'', true, value))
            r += " DEFAULT " + ScriptQuotedStr(value, dbMySQL);
        else
            r += " DEFAULT " + d;
    }
    if (AutoInc) r += " AUTO_INCREMENT";
    return r;
}

std::string TFldData::PGSQLTypeDef() const {
    std::string r;
    if (FieldType == iftDomain) {
        r = Rare().DomainName;
    } else {
        r = LowerTypeName(FieldType < FieldTypeNames.size() ? FieldType : iftUnknown);
        if ((FieldType == iftVarchar || FieldType == iftChar) && CharLength != 0)
            r += "(" + Num(CharLength) + ")";
        if (FieldType == iftNumeric || FieldType == iftDecimal) r += PrecScale(Precision, Scale);
        if (FieldType == iftTimeTZ || FieldType == iftTimeStampTZ) r += " with time zone";
        if (!Rare().CharSet.empty()) r += " character set " + Rare().CharSet;
        // Collation names are identifiers: "C" unquoted would fold to c.
        if (!Rare().Collation.empty())
            r += " collate " + (Rare().Collation.front() == '"' ? Rare().Collation.str() : QuoteIdent(Rare().Collation));
    }
    for (const TDbArrayBound& b : Rare().ArrayBounds) r += "[" + (b.UpperBound != 0 ? Num(b.UpperBound) : "") + "]";
    if (!Nullable) r += " not null";
    const std::string d = GetDefValue();
    if (!d.empty()) r += " default " + d;
    if (!Rare().CheckDef.empty()) {
        if (!Rare().CtrName.empty()) r += " CONSTRAINT " + QuoteIdent(Rare().CtrName);
        r += " CHECK" + Rare().CheckDef;
    }
    return r;
}

std::string TFldData::ASATypeDef() const {
    std::string r;
    if (!Rare().DomainName.empty()) {
        r = QuoteIdent(Rare().DomainName);
    } else {
        r = FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
        if (IsCharLengthType(FieldType) && CharLength >= 2) r += "(" + Num(CharLength) + ")";
        // Without its precision a NUMERIC column would be created with the server's default.
        if (FieldType == iftNumeric || FieldType == iftDecimal) r += PrecScale(Precision, Scale);
    }
    const bool prc = OwnerIsProcedure();
    const std::string d = GetDefValue();
    if (!d.empty()) r += (prc ? " = " : " DEFAULT ") + d;
    if (InOut == ioOut) r += " OUTPUT";
    if (!Rare().Collation.empty()) r += " COLLATE " + Rare().Collation;
    if (Identity) r += " IDENTITY (" + Num(Rare().IdentitySeed) + ", " + Num(Rare().IdentityIncrement) + ")";
    if (Rare().RowGuidCol) r += " ROWGUIDCOL";
    if (!prc) r += Nullable ? " NULL" : " NOT NULL";
    return r;
}

std::string TFldData::ASETypeDef() const {
    std::string r;
    if (Rare().JavaLang) {
        r = "java.lang." + Rare().JavaLangType + PrecScale(Precision, Scale);
    } else if (FieldType == iftDomain) {
        r = QuoteIdent(Rare().DomainName);
    } else if (IsComputed()) {
        return "AS " + fBody;
    } else if (FieldType == iftTable) {
        r = "TABLE";
    } else {
        r = FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
        if (IsCharLengthType(FieldType)) {
            if (CharLength > 0) r += "(" + Num(CharLength) + ")";
            else if (CharLength == -1) r += "(MAX)";
        }
        if (FieldType == iftFloat || FieldType == iftNumeric || FieldType == iftDecimal)
            r += PrecScale(Precision, Scale);
    }
    const bool prc = OwnerIsProcedure();
    const std::string d = GetDefValue();
    if (!d.empty()) r += (prc ? " = " : " DEFAULT ") + d;
    if (!Rare().Collation.empty()) r += " COLLATE " + Rare().Collation;
    if (Identity) r += " IDENTITY";
    if (!prc) r += Nullable ? " NULL" : " NOT NULL";
    return r;
}

std::string TFldData::MSSQLTypeDef() const {
    std::string r;
    const bool computed = IsComputed();
    if (FieldType == iftDomain) {
        if (!Rare().DomainSchema.empty()) r = QuoteIdent(Rare().DomainSchema) + ".";
        r += QuoteIdent(Rare().DomainName);
    } else if (computed) {
        r = "AS " + fBody;
        if (Rare().Persisted) r += " PERSISTED";
    } else if (FieldType == iftXml) {
        r = "XML";
        if (!Rare().XmlBody.empty()) r += " " + Rare().XmlBody;
    } else if (FieldType == iftTable) {
        return "TABLE";
    } else {
        r = FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
        if (IsCharLengthType(FieldType)) {
            if (CharLength > 0) r += "(" + Num(CharLength) + ")";
            else if (CharLength == -1) r += "(MAX)";
        }
        if (FieldType == iftFloat || FieldType == iftNumeric || FieldType == iftDecimal)
            r += PrecScale(Precision, Scale);
        if ((FieldType == iftTime || FieldType == iftDateTime2 || FieldType == iftDateTimeOffset) &&
            !(Precision == 7 && Scale == 0)) {
            r += "(" + Num(Precision);
            if (Scale != 0) r += "," + Num(Scale);
            r += ")";
        }
    }
    const bool prc = OwnerIsProcedure();
    const std::string d = GetDefValue();
    if (!d.empty()) r += (prc ? " = " : " DEFAULT ") + d;
    if (InOut == ioOut) r += " OUTPUT";
    if (!Rare().Collation.empty() && !dynamic_cast<const TDmnData*>(OwnObj)) r += " COLLATE " + Rare().Collation;
    if (Identity) {
        r += " IDENTITY";
        if (Rare().IdentityIncrement != 0) r += " (" + Num(Rare().IdentitySeed) + ", " + Num(Rare().IdentityIncrement) + ")";
    }
    if (Rare().RowGuidCol) r += " ROWGUIDCOL";
    if (!computed && !prc) r += Nullable ? " NULL" : " NOT NULL";
    return r;
}

std::string TFldData::OracleTypeDef() const {
    const std::string ref = Rare().RefToType ? "REF " : "";
    std::string r = ref;
    if (!Rare().DomainName.empty()) r += Rare().DomainName;
    else if (FieldType != iftUnknown) r += FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
    switch (FieldType) {
        case iftVarchar: case iftChar: case iftVarChar2: case iftNChar: case iftNVarChar:
        case iftNVarChar2: case iftRaw:
            r += "(" + Num(CharLength) + ")";
            break;
        case iftIntervalYearToMonth:
            if (Precision != 0) r = ref + "INTERVAL YEAR(" + Num(Precision) + ") TO MONTH";
            break;
        case iftIntervalDayToSecond:
            if (Precision != 0 || Scale != 0) {
                r = ref + "INTERVAL DAY";
                if (Precision != 0) r += "(" + Num(Precision) + ")";
                r += " TO SECOND";
                if (Scale != 0) r += "(" + Num(Scale) + ")";
            }
            break;
        case iftFloat: case iftNumber: case iftNumeric: case iftDecimal: case iftURowID:
            r += PrecScale(Precision, Scale);
            break;
        case iftTimeStamp:
            if (Precision != 0) r += "(" + Num(Precision) + ")";
            if (Rare().WithTimeZone) r += " WITH TIME ZONE";
            else if (Rare().WithLocalTimeZone) r += " WITH LOCAL TIME ZONE";
            break;
        default:
            break;
    }
    const std::string d = GetDefValue();
    if (!d.empty()) r += (r.empty() ? "" : " ") + std::string("DEFAULT ") + d;
    if (!Nullable) r += " NOT NULL";
    return r;
}

std::string TFldData::DB2TypeDef() const {
    std::string r;
    if (FieldType == iftDomain) {
        r = Rare().DomainName;
    } else {
        if (FieldType != iftUnknown) r = FieldTypeNames[FieldType < FieldTypeNames.size() ? FieldType : iftUnknown];
        if ((FieldType == iftVarchar || FieldType == iftChar || FieldType == iftBlob || FieldType == iftClob ||
             FieldType == iftDbClob) && CharLength > 0)
            r += "(" + Num(CharLength) + ")";
        if ((FieldType == iftNumeric || FieldType == iftDecimal) && Precision != 0)
            r += "(" + Num(Precision) + "," + Num(Scale) + ")";
    }
    if (Rare().ForBitData) r += " FOR BIT DATA";
    if (Rare().Logged == 0) r += " NOT LOGGED";
    else if (Rare().Logged == 1) r += " LOGGED";
    if (Rare().Compact == 0) r += " NOT COMPACT";
    else if (Rare().Compact == 1) r += " COMPACT";
    if (!Nullable) r += " NOT NULL";
    if (Rare().Generated != '\0' && Rare().Generated != ' ') {
        r += " GENERATED ";
        if (Rare().Generated == 'A') r += "ALWAYS ";
        else if (Rare().Generated == 'D') r += "BY DEFAULT ";
        if (Identity) {
            r += "AS IDENTITY";
            if (Rare().SeqData) r += Rare().SeqData->ParamDef();
        } else {
            r += "AS(" + Rare().GeneratedAs + ")";
        }
    }
    const std::string d = GetDefValue();
    if (!d.empty()) r += " WITH DEFAULT " + d;
    return r;
}

}  // namespace dbtwin
