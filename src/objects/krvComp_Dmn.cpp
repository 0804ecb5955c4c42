#include "objects/krvComp_Dmn.h"

#include <vector>

#include "compare/krvKeldar.h"
#include "core/krvStrUtils.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";

// A string literal with its quotes doubled.
std::string Lit(const std::string& s) { return ScriptQuotedStr(s, dbAbstract); }

bool IsFirebird3Up(TIBSQLServerVersionType v) { return v == st_Firebird_30 || v == st_Firebird_40; }

bool IsCharLike(TDBFieldType t) { return t == iftVarchar || t == iftChar || t == iftCstring || t == iftNChar || t == iftNVarChar; }

}  // namespace

// ---------------------------------------------------------------------------
// TPGTypeOptions

TPGTypeOptions::TPGTypeOptions(TDmnData* aOwner) : dmnData(aOwner), Flds(false, true, true) {}
TPGTypeOptions::~TPGTypeOptions() = default;

TFldData* TPGTypeOptions::AddFld(const std::string& aName) { return AddOwnedFld(Flds, dmnData, aName, dboField); }

std::string TPGTypeOptions::Def() const {
    const std::string CRLF = kCRLF;
    if (!Flds.Empty()) {
        std::string r;
        for (TFldData* f : Flds) r += (r.empty() ? "" : "," + CRLF) + f->Def();
        return " AS (" + CRLF + r + ")";
    }
    std::string r;
    auto option = [&r, &CRLF](const std::string& word, const std::string& value) {
        if (!value.empty()) r += word + " = " + value + "," + CRLF;
    };
    option("INPUT", Input);
    option("OUTPUT", Output);
    option("RECEIVE", Receive);
    option("SEND", Send);
    option("ANALYZE", Analyze);
    if (InternalLength >= 0) option("INTERNALLENGTH", std::to_string(InternalLength));
    if (ExternalLength >= 0) option("EXTERNALLENGTH", std::to_string(ExternalLength));
    if (PassedByValue) r += "PASSEDBYVALUE," + CRLF;
    if (Alignment != iftUnknown) option("ALIGNMENT", LowerCase(FieldTypeNames[Alignment]));
    option("STORAGE", Storage);
    option("DEFAULT", Default);
    if (Element) option("ELEMENT", Element->Def());
    if (!Delimiter.empty()) option("DELIMITER", ScriptQuotedStr(Delimiter, dbPostgreSQL));
    if (r.size() >= 3) r.erase(r.size() - 3);
    return "(" + CRLF + r + ")";
}

// ---------------------------------------------------------------------------
// TDmnData

TDmnData::TDmnData(TCustomObjs* aObjs)
    : TDbObj(aObjs),
      fData(std::make_unique<TFldData>(aObjs)),
      OracleObjFlds(false, true, true),
      MemberPrcs(false, true, true),
      Attribute(false, true, true),
      PGOptions(this) {
    fObjType = dboDomain;
    fData->OwnObj = this;
}

TDmnData::~TDmnData() = default;

TFldData* TDmnData::AddObjFld(const std::string& aName) { return AddOwnedFld(OracleObjFlds, this, aName, dboField); }
TFldData* TDmnData::AddAttribute(const std::string& aName) { return AddOwnedFld(Attribute, this, aName, dboField); }

TDescriptionTarget TDmnData::DescriptionTarget() const {
    TDescriptionTarget t = TDbObj::DescriptionTarget();
    t.TypeWord = GetXmlSchemaCollection() ? "XML SCHEMA COLLECTION" : "TYPE";
    return t;
}

void TDmnData::CheckSysName() {
    if (!fObjs || fObjs->fDatabaseType != dbPostgreSQL) return;
    const TFldRare& r = fData->Rare();
    if (!r.CheckDef.empty() && !r.CtrName.empty() && r.CtrName == fObjName + "_check") fData->EditRare().CtrName.clear();
}

std::string TDmnData::CheckConstraintName() const {
    const std::string& n = fData->Rare().CtrName;
    return n.empty() ? fObjName + "_check" : n;
}

std::string TDmnData::OracleDef() const {
    const std::string CRLF = kCRLF;
    const bool members = !MemberPrcs.Empty();
    auto block = [&](const TFldList& list, bool isAttribute) {
        if (list.Empty()) return std::string();
        std::string r = "  (";
        std::size_t i = 0;
        for (TFldData* f : list) {
            if (i) r += "   ";
            r += f->Def();
            const bool last = ++i == list.Count();
            if (!last || (members && !isAttribute)) r += "," + CRLF;
        }
        if (!members || isAttribute) r += ")";
        return r;
    };
    auto memberBlock = [&] {
        if (!members) return std::string();
        std::string r;
        for (TPrcData* p : MemberPrcs) r += (r.empty() ? "" : "," + CRLF) + p->Def();
        return r + ")";
    };
    std::string r = "CREATE OR REPLACE TYPE " + GetObjFullName();
    if (!TimeStamp.empty() || !OID.empty()) {
        r += CRLF;
        if (!TimeStamp.empty()) r += "   TIMESTAMP " + Lit(TimeStamp);
        if (!OID.empty()) r += " OID " + Lit(OID);
        r += CRLF;
    }
    if (!UnderType.empty()) {
        r += " UNDER " + UnderType + CRLF + block(OracleObjFlds, false) + memberBlock();
    } else {
        r += OracleType == odIsTable ? " IS " : " AS ";
        switch (OracleType) {
            case odObject: r += "OBJECT" + CRLF + block(OracleObjFlds, false) + memberBlock(); break;
            case odVArray: r += "VARRAY(" + std::to_string(OracleVArray) + ") OF " + fData->Def(); break;
            case odAsTable:
            case odIsTable: r += "TABLE OF " + fData->Def(); break;
            default: break;
        }
    }
    const std::string directive = TypeDirective.Def();
    if (!directive.empty()) r += CRLF + "   " + directive;
    if (!Attribute.Empty()) {
        r += ";" + CRLF + CRLF + "ALTER TYPE " + GetObjFullName() + " ADD ATTRIBUTE" + CRLF + block(Attribute, true);
        if (AttrCascade) r += CRLF + "   CASCADE";
    }
    return r;
}

std::string TDmnData::PGTypeDef() const { return "CREATE TYPE " + GetObjFullName() + PGOptions.Def(); }

std::string TDmnData::Def() const {
    const TDatabaseType db = GetDatabaseType();
    switch (db) {
        case dbMSSQL:
        case dbSybaseASE:
            if (MSSQLType) return "CREATE TYPE " + TDialectTraits::Qualified(Quoter(), fSchema, fObjName) + " FROM " + fData->TypeDef();
            if (GetXmlSchemaCollection())
                return "CREATE " + SysDataType + " " + GetObjFullName() + " AS N" + ScriptQuotedStr(fBody, dbMSSQL);
            return "EXEC sp_addtype N" + Lit(fObjName) + ", N" + Lit(SysDataType) + ", N" +
                   Lit(fData->Nullable ? "NULL" : "NOT NULL");
        case dbOracle: return OracleDef();
        case dbPostgreSQL:
            if (PGOptions.PGType) return PGTypeDef();
            return "CREATE DOMAIN " + GetObjFullName() + " " + fData->Def();
        case dbInterBase: return "CREATE DOMAIN " + QuoteIdent(fObjName) + " AS " + fData->Def();
        default: return "CREATE DOMAIN " + QuoteIdent(fObjName) + " " + fData->Def();
    }
}

std::string TDmnData::DropDef() const {
    const TDatabaseType db = GetDatabaseType();
    switch (db) {
        case dbOracle: return "DROP TYPE " + GetObjFullName();
        case dbSybaseASE: return "exec sp_droptype " + Lit(fObjName);
        case dbPostgreSQL: return (PGOptions.PGType ? "DROP TYPE " : "DROP DOMAIN ") + GetObjFullName();
        case dbMSSQL: {
            const TCustomObjs* o = fObjs && fObjs->fGenTargetDef && fObjs->fLinkedObjs ? fObjs->fLinkedObjs : fObjs;
            if (o && o->fMSSQLServerOptions.GetSQLServerVersion() == st_MSSQL2000) return "exec sp_droptype " + Lit(fObjName);
            if (GetXmlSchemaCollection()) return "DROP " + SysDataType + " " + GetObjFullName();
            return "DROP TYPE " + GetObjFullName();
        }
        default: return TDbObj::DropDef();
    }
}

std::string TDmnData::TypeDef() const {
    const TDatabaseType db = GetDatabaseType();
    if (db == dbMSSQL || db == dbSybaseASE) return SysDataType + (fData->Nullable ? " NULL" : " NOT NULL");
    return fData->TypeDef();
}

void TDmnData::DoBeforeCreate() {
    TDbObj::DoBeforeCreate();
    for (auto& l : fUseOf) {
        if (!l->Active || !l->Obj || l->Obj->ListKind() != olDmn) continue;
        l->Active = false;
        l->Obj->CreateDependDef();
    }
}

void TDmnData::CreateForUser(TDbObj* /*aUser*/, TDependObj* aLink, TUseWalk aWalk) {
    if (aWalk != uwActiveLinks || GetObjCreated()) return;
    aLink->Active = false;
    CreateDependDef();
}

void TDmnData::DropForUsed(TDbObj* /*aUsed*/, TDependObj* aLink) {
    aLink->Active = false;
    DropDependDef();
}

void TDmnData::DoBeforeDrop() {
    TDbObj::DoBeforeDrop();
    TCustomObjs* target = fObjs ? fObjs->GetObjsTarget() : nullptr;
    for (std::size_t i = 0; i < fUseIn.size(); ++i) {
        TDependObj* l = fUseIn[i].get();
        TDbObj* user = l->Obj;
        if (!l->Active || !user || user == this) continue;
        const TObjListKind kind = user->ListKind();
        if (kind == olDmn || kind == olViw) {
            l->Active = false;
            user->DropDependDef();
        } else if (kind == olTbl && !l->ObjField.empty() && target) {
            // Table and column links stay active: the column stands, its dependants go.
            if (TTblData* t = target->Tbl.Find(user->GetObjKeyDef()))
                if (TFldData* f = t->FindFld(l->ObjField)) f->DoBeforeDrop();
        } else if (user->IsField()) {
            user->DoBeforeDrop();
        }
    }
}

void TDmnData::CheckTableDomainChange(TKeldar& k, const std::string& TableName, const std::string& FieldName) {
    TCustomObjs* M = k.GetMObjs();
    TCustomObjs* T = k.GetTObjs();
    if (!M || !T) return;
    TTblData* mt = M->Tbl.Find(TableName);
    TTblData* tt = T->Tbl.Find(TableName);
    TFldData* mf = mt ? mt->FindFld(FieldName) : nullptr;
    TFldData* tf = tt ? tt->FindFld(FieldName) : nullptr;
    if (!mf || !tf || mf->FieldType != iftDomain || tf->FieldType != iftDomain) return;
    const std::string& domain = mf->Rare().DomainName;
    if (domain == tf->Rare().DomainName) return;
    if (TDmnData* d = M->Dmn.Find(domain); d && !d->GetObjCreated()) d->CreateDependDef();
    // The column record names its domain; Firebird 3 and later refuse writes to it, but
    // move a column to a domain with ALTER TABLE.
    std::string text;
    const TIBSQLServerVersionType ver = T->fIBServerOptions.GetSQLServerVersion();
    if (IsFirebird3Up(ver))
        text = "ALTER TABLE " + tf->QuoteIdent(tf->OwnName) + " ALTER COLUMN " + tf->QuoteIdent(tf->fObjName) + " TYPE " +
               tf->QuoteIdent(domain);
    else
        text = "update rdb$relation_fields set rdb$field_source=" + Lit(domain) + kCRLF +
               "where rdb$relation_name=" + Lit(tf->OwnName) + " and rdb$field_name=" + Lit(tf->fObjName);
    TStatement* st = AddStatement(text, stStatement, fData->OwnName + " (" + fData->fObjName + ")", dboTable, odbAlter);
    if (TCustomSQLExec* ex = GetSQLExec()) ex->DoMsgWrn("Assign table field to domain", st);
    for (std::size_t i = 0; i < tt->fUseIn.size(); ++i) {
        auto* v = dynamic_cast<TViwData*>(tt->fUseIn[i]->Obj);
        if (!v) continue;
        v->DropDependDef();
        if (TViwData* mv = M->Viw.Find(v->GetObjKeyDef())) mv->CreateDependDef();
    }
}

// ---------------------------------------------------------------------------
// TCnvData

std::string TCnvData::Def() const {
    return std::string("CREATE ") + (DefConv ? "DEFAULT " : "") + "CONVERSION " +
           TDialectTraits::Qualified(Quoter(), fSchema, fObjName) + " FOR " + Lit(ForSource) + " TO " + Lit(ToDest) +
           " FROM " + TDialectTraits::Qualified(Quoter(), fSchema, ConvFunc);
}

std::string TCnvData::DropDef() const { return "DROP CONVERSION " + TDialectTraits::Qualified(Quoter(), fSchema, fObjName); }

// ---------------------------------------------------------------------------
// Generators

namespace {

// The alteration of one domain present on both sides: statements (stStatement, odbAlter,
// dboDomain) and warnings with the statement each concerns. A change the server cannot make
// stands as a comment line and a warning, never in silence.
struct TDmnAlter {
    TKeldar& k;
    TDmnData* m;
    TDmnData* t;
    const TFldData& mf;
    const TFldData& tf;

    TDmnAlter(TKeldar& aKeldar, TDmnData* aMaster, TDmnData* aTarget)
        : k(aKeldar), m(aMaster), t(aTarget), mf(*aMaster->fData), tf(*aTarget->fData) {}

    std::string Q() const { return m->QuoteIdent(m->fObjName); }
    TStatement* Stmt(const std::string& text) { return m->AddStatement(text, stStatement, m->fObjName, dboDomain, odbAlter); }
    void Warn(const std::string& text, TStatement* st) { k.AddWarning(text, st); }
    void Comment(const std::string& text) {
        if (TCustomSQLExec* ex = k.GetSQLExec()) ex->AddComment(m->GenComment(text));
    }
    void CannotMake(const std::string& text) { k.AddWarning(text); }

    // The character set a character type is stored in: its own, else the database's.
    std::string CharSetOf(const TFldData& f, const TCustomObjs* o) const {
        if (!f.Rare().CharSet.empty()) return UpperCase(f.Rare().CharSet);
        const std::string& db = o->fIBServerOptions.GetDBCharSet();
        return db.empty() ? "NONE" : UpperCase(db);
    }

    void InterBase() {
        const TIBServerOptions& ib = k.GetTObjs()->fIBServerOptions;
        const TIBSQLServerVersionType ver = ib.GetSQLServerVersion();
        const bool pre6 = ver == st_InterBase_4x || ver == st_InterBase_5x;
        const bool fb3 = IsFirebird3Up(ver);
        const bool allowConv = k.GetIBCompareOptions().GetAllowDataTypeConversion();
        const bool charSetCompare = k.GetIBCompareOptions().GetFldCharsetCompare();
        const bool blobs = mf.FieldType == iftBlob && tf.FieldType == iftBlob;
        const std::string bareM = mf.FieldTypeDef(), bareT = tf.FieldTypeDef();
        const bool charType = IsCharLike(mf.FieldType);
        const bool charSetDiffers = charType && CharSetOf(mf, k.GetMObjs()) != CharSetOf(tf, k.GetTObjs());
        const bool collationDiffers = !SameText(mf.Rare().Collation, tf.Rare().Collation);

        // 1. Type, length and character set.
        if (bareM != bareT && !blobs) {
            const bool shorter = mf.FieldType == tf.FieldType && charType && mf.CharLength < tf.CharLength;
            if (pre6) {
                t->DoBeforeDrop();
                LegacyType();
            } else if (shorter) {
                if (allowConv && !fb3) {
                    t->DoBeforeDrop();
                    TStatement* st = Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=" + std::to_string(mf.FieldLength) +
                                          ", RDB$CHARACTER_LENGTH=" + std::to_string(mf.CharLength) + kCRLF +
                                          "  WHERE RDB$FIELD_NAME=" + Lit(m->fObjName));
                    Warn("Domain " + Q() + ": character length alter", st);
                } else {
                    CannotMake("Domain " + Q() + ": the server cannot shorten " + bareT + " to " + bareM +
                               "; the domain is left unchanged");
                }
            } else {
                TypeStep(bareM);
            }
        } else if (charSetCompare && charSetDiffers && !blobs) {
            if (fb3) {
                TypeStep(bareM);
            } else if (!pre6 || allowConv) {
                CharSetUpdate();
            }
        } else if (charSetCompare && charSetDiffers && blobs && !fb3) {
            CharSetUpdate();
        }
        // 2. Collation: Firebird 3 has no statement for it.
        if (charSetCompare && collationDiffers && charType) {
            if (fb3) {
                CannotMake("Domain " + Q() + ": collation change not supported (" +
                           (tf.Rare().Collation.empty() ? std::string("none") : tf.Rare().Collation.str()) + " -> " +
                           (mf.Rare().Collation.empty() ? std::string("none") : mf.Rare().Collation.str()) + ")");
            } else {
                std::string text = mf.Rare().Collation.empty()
                                       ? "Update Rdb$Fields set Rdb$Collation_ID = NULL" + std::string(kCRLF) +
                                             "where Rdb$Field_Name = " + Lit(m->fObjName)
                                       : "Update Rdb$Fields set Rdb$Collation_ID =" + std::string(kCRLF) +
                                             "(Select C.Rdb$Collation_ID from Rdb$Collations C" + kCRLF +
                                             "where C.Rdb$Collation_Name=" + Lit(mf.Rare().Collation) + ")" + kCRLF +
                                             "where Rdb$Field_Name=" + Lit(m->fObjName);
                Warn("Domain " + Q() + ": Collation difference", Stmt(text));
            }
        }
        // 3. Blob sub-type and segment size.
        if (blobs) {
            if (mf.Rare().BlobSubType != tf.Rare().BlobSubType) {
                if (fb3)
                    CannotMake("Domain " + Q() + ": Blob SUB_TYPE difference not supported");
                else
                    Warn("Domain " + Q() + ": Blob SUB_TYPE difference",
                         Stmt("Update Rdb$Fields set RDB$FIELD_SUB_TYPE = " + std::to_string(mf.Rare().BlobSubType) +
                              kCRLF + "where Rdb$Field_Name=" + Lit(m->fObjName)));
            }
            if (mf.Rare().BlobSegSize != tf.Rare().BlobSegSize) {
                if (fb3)
                    CannotMake("Domain " + Q() + ": Blob SEGMENT SIZE difference not supported");
                else
                    Warn("Domain " + Q() + ": Blob SEGMENT SIZE difference",
                         Stmt("Update Rdb$Fields set RDB$SEGMENT_LENGTH = " + std::to_string(mf.Rare().BlobSegSize) +
                              kCRLF + "where Rdb$Field_Name=" + Lit(m->fObjName)));
            }
        }
        // 4. Check.
        if (mf.Rare().CheckDef != tf.Rare().CheckDef) {
            Comment("Alter Domain: " + Q() + " - Check(...)");
            if (pre6) {
                Scratch("Rdb$Validation_Source", "Rdb$Validation_BLR");
                Warn("Domain " + Q() + ": check expression alter", nullptr);
            } else {
                if (!tf.Rare().CheckDef.empty()) Stmt("ALTER DOMAIN " + Q() + " DROP CONSTRAINT");
                if (!mf.Rare().CheckDef.empty()) Stmt("ALTER DOMAIN " + Q() + " ADD CHECK" + mf.Rare().CheckDef);
            }
        }
        // 5. Default.
        if (mf.GetDefValue() != tf.GetDefValue()) {
            if (pre6) {
                TStatement* st = Scratch("Rdb$Default_Source", "Rdb$Default_Value");
                Warn("Domain " + Q() + ": Default-value alter", st);
            } else if (!mf.GetDefValue().empty()) {
                Stmt("ALTER DOMAIN " + Q() + " SET DEFAULT " + mf.GetDefValue());
            } else {
                Stmt("ALTER DOMAIN " + Q() + " DROP DEFAULT");
            }
        }
        // 6. Nullability.
        if (mf.Nullable != tf.Nullable) {
            if (fb3) {
                Stmt("ALTER DOMAIN " + Q() + (mf.Nullable ? " DROP NOT NULL" : " SET NOT NULL"));
            } else if (allowConv) {
                TStatement* st = Stmt("Update Rdb$Fields set Rdb$Null_Flag = " + std::string(mf.Nullable ? "NULL" : "1") +
                                      kCRLF + "where Rdb$Field_Name=" + Lit(m->fObjName));
                Warn("Convert: Domain " + Q() + ": Nullable difference", st);
            } else {
                CannotMake("Domain " + Q() + ": Nullable difference not written (data type conversion is off)");
            }
        }
    }

    // ALTER DOMAIN ... TYPE with the master's bare type and character set: without the set
    // the server gives the domain the database's, and stored text no longer reads back.
    void TypeStep(const std::string& bareM) {
        t->DoBeforeDrop();
        std::string text = "ALTER DOMAIN " + Q() + " TYPE " + bareM;
        // A set the master names is named; without one the database's applies, as in the master.
        if (IsCharLike(mf.FieldType) && !mf.Rare().CharSet.empty()) text += " CHARACTER SET " + mf.Rare().CharSet;
        TStatement* st = Stmt(text);
        Warn("Domain " + Q() + ": DataType conversion " + tf.TypeDef() + " -> " + bareM, st);
    }

    void CharSetUpdate() {
        const std::string& cs = mf.Rare().CharSet;
        TStatement* st = nullptr;
        if (cs.empty() && !SameText(tf.Rare().CharSet, "NONE"))
            st = Stmt("Update Rdb$Fields set Rdb$Character_Set_ID = NULL" + std::string(kCRLF) +
                      "where Rdb$Field_Name=" + Lit(m->fObjName));
        else if (!cs.empty() && !SameText(cs, "NONE"))
            st = Stmt("Update Rdb$Fields set Rdb$Character_Set_ID =" + std::string(kCRLF) +
                      "(Select C.Rdb$Character_Set_ID from Rdb$Character_Sets C" + kCRLF +
                      "where C.Rdb$Character_Set_Name=" + Lit(cs) + ")" + kCRLF + "where Rdb$Field_Name=" + Lit(m->fObjName));
        Warn("Domain " + Q() + ": CharSet difference", st);
    }

    void LegacyType() {
        auto code = [](TDBFieldType f) { return f == iftDate ? 12 : f == iftTime ? 13 : 35; };
        auto dateLike = [](TDBFieldType f) { return f == iftDate || f == iftTime || f == iftTimeStamp; };
        auto numeric = [](TDBFieldType f) { return f == iftNumeric || f == iftDecimal; };
        const std::string where = std::string(kCRLF) + "  WHERE RDB$FIELD_NAME = " + Lit(m->fObjName);
        if (dateLike(mf.FieldType) && dateLike(tf.FieldType) && k.GetTObjs()->fIBServerOptions.GetSQLDialect() == 3) {
            TStatement* st = Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_TYPE=" + std::to_string(code(mf.FieldType)) + where);
            Warn("Domain " + Q() + ": Date/Time/TimeStamp conversion", st);
        } else if (numeric(mf.FieldType) && numeric(tf.FieldType)) {
            if (mf.Scale != tf.Scale) {
                Comment("Alter Domain: " + Q() + " - scale conversion");
                TStatement* st = Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_SCALE = " + std::to_string(-mf.Scale) + where);
                Warn("Domain " + Q() + ": Scale conversion", st);
            }
            if (mf.Precision != tf.Precision) {
                Comment("Alter Domain: " + Q() + " - precision conversion");
                TStatement* st = Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_PRECISION = " + std::to_string(mf.Precision) + where);
                Warn("Domain " + Q() + ": Precision conversion", st);
            }
        } else {
            CannotMake("Domain " + Q() + ": type change " + tf.FieldTypeDef() + " -> " + mf.FieldTypeDef() +
                       " not supported by this server");
        }
    }

    // A scratch domain carries a new check or default into the system table (old servers).
    TStatement* Scratch(const std::string& sourceCol, const std::string& valueCol) {
        const std::string name = m->fObjName;
        m->fObjName = "QZT$TEMP";
        const std::string def = m->Def();
        m->fObjName = name;
        Stmt(def);
        TStatement* st = Stmt("Update RDB$Fields set " + sourceCol + " =" + kCRLF + "(Select " + sourceCol +
                              " from Rdb$Fields where Rdb$Field_Name='QZT$TEMP')," + kCRLF + valueCol + " =" + kCRLF +
                              "(Select " + valueCol + " from Rdb$Fields where Rdb$Field_Name='QZT$TEMP')" + kCRLF +
                              "where RDB$FIELD_NAME=" + Lit(name));
        Stmt("DROP DOMAIN QZT$TEMP");
        return st;
    }

    void PostgreSQL() {
        const std::string full = m->GetObjFullName();
        if (mf.PGSQLTypeDef() != tf.PGSQLTypeDef() && (mf.FieldType != tf.FieldType || mf.FieldTypeDef() != tf.FieldTypeDef() ||
                                                       mf.Rare().DomainName != tf.Rare().DomainName))
            CannotMake("Domain " + full + ": the base type cannot be changed (" + tf.FieldTypeDef() + " -> " +
                       mf.FieldTypeDef() + ")");
        if (mf.Rare().CheckDef != tf.Rare().CheckDef) {
            TStatement* st = nullptr;
            if (!tf.Rare().CheckDef.empty())
                st = Stmt("ALTER DOMAIN " + full + " DROP CONSTRAINT " + t->QuoteIdent(t->CheckConstraintName()));
            if (!mf.Rare().CheckDef.empty()) {
                const std::string name = mf.Rare().CtrName.empty() ? "" : "CONSTRAINT " + m->QuoteIdent(mf.Rare().CtrName) + " ";
                st = Stmt("ALTER DOMAIN " + full + " ADD " + name + "CHECK" + mf.Rare().CheckDef);
            }
            Warn("Domain " + full + ": Alter constraint", st);
        }
        if (mf.GetDefValue() != tf.GetDefValue())
            Stmt("ALTER DOMAIN " + full + (mf.GetDefValue().empty() ? " DROP DEFAULT" : " SET DEFAULT " + mf.GetDefValue()));
        if (mf.Nullable != tf.Nullable) Stmt("ALTER DOMAIN " + full + (mf.Nullable ? " DROP NOT NULL" : " SET NOT NULL"));
    }
};

const char* CreateHeading(TDatabaseType db) {
    return db == dbMSSQL ? "/* Create User datatypes... */" : db == dbOracle ? "/* Create types... */" : "/* Create Domains... */";
}
const char* DropHeading(TDatabaseType db) {
    return db == dbMSSQL ? "/* Drop user datatypes... */" : db == dbOracle ? "/* Drop types... */" : "/* Drop domains... */";
}

}  // namespace

void GenScriptDmnCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const TDatabaseType db = k.GetTObjs()->GetDatabaseType();
    const bool describe = k.GetCompareObjects().Contains(coDescription);
    bool any = false;
    for (TDmnData* m : M->Dmn) {
        if (m->CompExclude || m->GetRefObj() || m->GetObjCreated()) continue;
        if (!any) ex->AddComment(CreateHeading(db));
        any = true;
        m->CreateDependDef();
        if (!describe) continue;
        if (!m->fData->Extra().fDescription.empty()) m->AddDescription();
        if (!m->Extra().fDescription.empty()) m->AddDescription();
    }
}

void GenScriptDmnAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomObjs* T = k.GetTObjs();
    if (!M || !T || !k.GetSQLExec()) return;
    const TDatabaseType db = T->GetDatabaseType();
    const bool describe = k.GetCompareObjects().Contains(coDescription);
    for (TDmnData* m : M->Dmn) {
        auto* t = dynamic_cast<TDmnData*>(m->GetRefObj());
        if (m->CompExclude || !t || !t->GetObjCreated()) continue;
        TDmnAlter a(k, m, t);
        if (db == dbInterBase) {
            a.InterBase();
        } else if (db == dbPostgreSQL && !m->PGOptions.PGType && !t->PGOptions.PGType) {
            a.PostgreSQL();
        } else if (m->Def() != t->Def()) {
            // Other kinds have no statement that changes a type in place.
            k.AddWarning("Domain " + m->GetObjFullName() + ": the type changed and is not altered by the script");
        }
        if (describe && m->Extra().fDescription.str() != t->Extra().fDescription.str()) m->AddDescription();
    }
}

void GenScriptDmnDrop(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !T || !ex) return;
    auto gone = [](const TDmnData* t) { return !t->CompExclude && !t->GetRefObj() && t->GetObjCreated(); };
    // Views the master also has come back once every domain is gone (views marked by other
    // changes are left to the view phases).
    std::vector<TViwData*> marked;
    for (TDmnData* t : T->Dmn) {
        if (!gone(t)) continue;
        for (auto& l : t->fUseIn)
            if (auto* v = dynamic_cast<TViwData*>(l->Obj); v && M->Viw.Find(v->GetObjKeyDef()) && !v->GetReCreate()) {
                v->SetReCreate(true);
                marked.push_back(v);
            }
    }
    bool any = false;
    for (TDmnData* t : T->Dmn) {
        if (!gone(t)) continue;
        if (!any) ex->AddComment(DropHeading(T->GetDatabaseType()));
        any = true;
        t->DropDependDef();
    }
    for (TViwData* v : marked) {
        v->DropDependDef();
        if (auto* mv = dynamic_cast<TViwData*>(v->GetRefObj())) {
            mv->CreateDependDef();
            v->EditExtra().fCurrentDefinition = mv->Extra().fCurrentDefinition;
            mv->fReCreate = false;
        }
        v->fReCreate = false;
    }
}

void GenScriptCnvCreate(TKeldar& k) {
    if (!k.GetMObjs()) return;
    for (TCnvData* m : k.GetMObjs()->Cnv)
        if (!m->CompExclude && !m->GetRefObj() && !m->GetObjCreated()) m->CreateDependDef();
}

void GenScriptCnvAlter(TKeldar& k) {
    if (!k.GetMObjs()) return;
    for (TCnvData* m : k.GetMObjs()->Cnv) {
        auto* t = dynamic_cast<TCnvData*>(m->GetRefObj());
        if (m->CompExclude || !t || m->Def() == t->Def()) continue;
        t->DropDependDefKeptByMaster();
        m->CreateDependDef();
    }
}

void GenScriptCnvDrop(TKeldar& k) {
    if (!k.GetTObjs()) return;
    for (TCnvData* t : k.GetTObjs()->Cnv)
        if (!t->CompExclude && !t->GetRefObj() && t->GetObjCreated()) t->DropDependDef();
}

}  // namespace dbtwin
