// Column alteration: the routines that change a column existing on both sides in place, per
// database kind, and the SQL Server table rebuild used when the column order changes.
#include <algorithm>
#include <initializer_list>
#include <string>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"

namespace dbtwin {

namespace {

const char* const kCRLF = "\r\n";

bool In(TDBFieldType t, std::initializer_list<TDBFieldType> set) {
    return std::find(set.begin(), set.end(), t) != set.end();
}

// The type data of a column: its domain's when it has one that is found.
const TFldData& DataOf(const TFldData& f) {
    if (!f.Rare().DomainName.empty())
        if (const TDmnData* d = f.GetDmnData(); d && d->fData) return *d->fData;
    return f;
}

struct TAlterCtx {
    TKeldar& k;
    TCustomSQLExec* ex;
    TDatabaseType db;
    TTblData* mt;
    TTblData* tt;
    TFldData* m;
    TFldData* t;
    bool visible = false;  // the InterBase routine wrote a comment a reader must see

    std::string Id(const std::string& s) const { return k.QuoteIdent(s); }
    std::string Lit(const std::string& s) const { return ScriptQuotedStr(s, db); }
    const std::string& Table() const { return mt->fObjName; }
    const std::string& Column() const { return m->fObjName; }
    const std::string& Owner() const { return m->OwnName; }

    TStatement* Stmt(const std::string& text, const std::string& own) {
        return ex->Add(text, stStatement, Column(), dboField, odbAlter, own);
    }
    TStatement* Stmt(const std::string& text) { return Stmt(text, Table()); }
    void Comment(const TFldData* on, const std::string& text) { ex->AddComment(on->GenComment(text)); }
    // A warning, written as a comment just before the statement it concerns (or where the
    // script has got to); aComment off where the caller wrote that comment already.
    void Warn(const std::string& text, TStatement* st = nullptr, bool aComment = true) {
        k.AddWarning(text, st, aComment);
    }
    // Before a column becomes NOT NULL: rows holding NULL get the master's default first, or,
    // when the host asks for it, the type's neutral value. Without either the warning to tie
    // to the NOT NULL statement is returned: that statement fails on rows with NULL.
    std::string FillNulls() {
        if (m->Nullable || !t->Nullable || m->IsComputed()) return std::string();
        std::string value = m->GetDefValue();
        if (value.empty() && k.GetFillNullsWithNeutralValue()) value = NeutralValue();
        const std::string col = Id(Column());
        if (!value.empty()) {
            ex->Add("UPDATE " + mt->GetObjFullName() + " SET " + col + " = " + value + " WHERE " + col + " IS NULL",
                    stUpdate, Column(), dboField, odbUpdate, Table());
            // Firebird runs DDL in a transaction of its own, which the uncommitted update
            // would keep from the table ("object ... is in use").
            if (db == dbInterBase) ex->Add_Commit();
            return std::string();
        }
        return "Column " + Id(Table()) + "." + col + " may hold NULLs; the change fails on rows with NULL";
    }
    // The warning FillNulls returned, if any, tied to the NOT NULL statement it concerns.
    void WarnNulls(const std::string& nulls, TStatement* st) {
        if (!nulls.empty()) Warn(nulls, st);
    }
    // The value that stands for "nothing" in the column's type; empty for types without one
    // (dates, binary data, ...).
    std::string NeutralValue() const {
        const TFldData& d = DataOf(*m);
        switch (d.FieldType) {
            case iftInteger: case iftBigInt: case iftSmallInt: case iftTinyInt: case iftMediumInt: case iftInt2:
            case iftInt4: case iftInt8: case iftFloat: case iftDoublePrecision: case iftFloat4: case iftFloat8:
            case iftReal: case iftDouble: case iftDecFloat: case iftNumber: case iftNumeric: case iftDecimal:
            case iftMoney: case iftSmallMoney: case iftBit: case iftYear:
                return "0";
            case iftVarchar: case iftChar: case iftLongVarchar: case iftVarChar2: case iftCstring: case iftText:
            case iftTinyText: case iftMediumText: case iftLongText: case iftNChar: case iftNVarChar:
            case iftNVarChar2: case iftNText: case iftNationalChar: case iftClob: case iftNClob:
                return "''";
            case iftBoolean:
                return db == dbMySQL ? "0" : "FALSE";
            default:
                return std::string();
        }
    }
    void DropDependants() { t->DoBeforeDrop(); }
    void RecreateViews() {
        for (TCustomObjs* o : {k.GetMObjs(), k.GetTObjs()}) {
            if (!o) continue;
            // Views that use the table itself or one of its columns.
            for (TViwData* v : o->Viw)
                for (auto& l : v->fUseOf) {
                    const auto* f = dynamic_cast<const TFldData*>(l->Obj);
                    if ((l->Obj && l->Obj->fObjName == Table() && dynamic_cast<TTblData*>(l->Obj)) ||
                        (f && f->OwnName == Table() && dynamic_cast<TTblData*>(f->OwnObj)))
                        v->SetReCreate(true);
                }
        }
    }
    // The change of a column the server cannot make: a comment line and a warning.
    void CannotMake(const TFldData* on, const std::string& text) {
        Comment(on, text);
        Warn(text, nullptr, false);
    }
};

// ---------------------------------------------------------------------------
// InterBase/Firebird

bool IsIBKind(const TFldData& f) { return f.GetDatabaseType() == dbInterBase; }

struct TIBRoutine {
    TAlterCtx& c;
    TIBSQLServerVersionType ver;
    bool allowConv;
    bool charSetCompare;
    bool oldIB;     // InterBase 4.x / 5.x
    bool sysEdit;   // system tables may be edited

    TIBRoutine(TAlterCtx& ctx)
        : c(ctx),
          ver(ctx.k.GetTObjs()->fIBServerOptions.GetSQLServerVersion()),
          allowConv(ctx.k.GetIBCompareOptions().GetAllowDataTypeConversion()),
          charSetCompare(ctx.k.GetIBCompareOptions().GetFldCharsetCompare()),
          oldIB(ver == st_InterBase_4x || ver == st_InterBase_5x),
          // Firebird 3 and 4 refuse writes to the column records of the system tables.
          sysEdit(allowConv && ver != st_Firebird_30 && ver != st_Firebird_40) {}

    std::string TypeM() const { return c.m->FieldTypeDef(); }
    std::string TypeT() const { return c.t->FieldTypeDef(); }
    // "  WHERE RDB$FIELD_NAME=(SELECT RDB$FIELD_SOURCE ... )" for the column of relation rel.
    std::string SourceOf(const std::string& rel) const {
        return std::string(kCRLF) + "  WHERE RDB$FIELD_NAME=(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS" + kCRLF +
               "  WHERE RDB$FIELD_NAME=" + c.Lit(c.Column()) + " AND RDB$RELATION_NAME=" + c.Lit(rel) + ")";
    }
    std::string WhereRel() const {
        return "WHERE RDB$FIELD_NAME=" + c.Lit(c.Column()) + " AND RDB$RELATION_NAME=" + c.Lit(c.Table());
    }

    // The character set the new collation must belong to. Without a known name the column's
    // present character set is used: matching an empty name would find no collation and
    // clear the column's instead.
    std::string CharSetIdText() const {
        const std::string cs = c.m->DefaultCharSet();
        if (!cs.empty())
            return "(select Rdb$Character_Set_ID from Rdb$character_Sets where Rdb$character_set_name = " +
                   c.Lit(cs) + ")";
        return "(select F.Rdb$Character_Set_ID from Rdb$Fields F where F.Rdb$Field_Name =" + std::string(kCRLF) +
               " (select R.Rdb$Field_Source from Rdb$Relation_Fields R where R.Rdb$Field_Name = " +
               c.Lit(c.Column()) + " and R.Rdb$Relation_Name = " + c.Lit(c.Table()) + "))";
    }

    void AlterTypePath() {
        if (TypeM() == TypeT()) return;
        const TFldData& md = DataOf(*c.m);
        const TFldData& td = DataOf(*c.t);
        auto len = [](const TFldData& f, const TFldData& d) {
            return In(d.FieldType, {iftVarchar, iftChar, iftCstring}) && !f.IsComputed() ? d.CharLength : 0;
        };
        const std::int32_t lm = len(*c.m, md), lt = len(*c.t, td);
        const std::string text =
            "ALTER TABLE " + c.Id(c.Owner()) + " ALTER COLUMN " + c.Id(c.Column()) + " TYPE " + TypeM();
        const std::string warning =
            "DataType conversion: " + TypeT() + " -> " + TypeM() + " /" + c.Owner() + "(" + c.Column() + ")/";
        TStatement* st = nullptr;
        bool commented = false;  // the change is in the script as a comment already
        if (c.m->FieldType == iftBlob || c.t->FieldType == iftBlob || md.FieldType == iftBlob ||
            td.FieldType == iftBlob) {
            c.Comment(c.t, "BLOB-datatype conversion not supported:" + std::string(kCRLF) + text);
            commented = true;
        } else if (lm > 0 && lt > 0 && lm < lt) {
            if (allowConv) {
                SystemTablePath();
            } else {
                c.Comment(c.t, "String-length truncation not supported:" + std::string(kCRLF) + text);
                commented = true;
            }
        } else {
            c.DropDependants();
            if (allowConv && td.FieldType == iftInteger && md.FieldType == iftSmallInt) {
                SystemTablePath();
            } else if (c.m->ArrayBoundsDiff(*c.t)) {
                c.Comment(c.t, "Array conversion not supported:" + std::string(kCRLF) + text);
                commented = true;
            } else {
                st = c.Stmt(text, c.Owner());
            }
        }
        c.Warn(warning, st, !commented);
    }

    void SystemTablePath() {
        if (!sysEdit) {
            c.CannotMake(c.t, "DataType conversion not supported: " + std::string(kCRLF) + "ALTER TABLE " +
                                  c.Id(c.Table()) + " ALTER COLUMN " + c.Id(c.Column()) + " TYPE " + TypeM());
            return;
        }
        TFldData* m = c.m;
        TFldData* t = c.t;
        if (!m->Rare().DomainName.empty() && t->Rare().DomainName.empty()) {
            TStatement* st = c.Stmt("Update rdb$Relation_Fields set Rdb$Field_Source = " + c.Lit(m->Rare().DomainName) +
                                    kCRLF + WhereRel());
            c.Warn("SimpleType > Domain conversion", st);
            c.RecreateViews();
            return;
        }
        if (m->Rare().DomainName.empty() && !t->Rare().DomainName.empty()) {
            TFldData scratch(m->fObjs);
            scratch.Assign(*m);
            scratch.OwnName = m->OwnName;
            scratch.OwnObj = m->OwnObj;
            scratch.SetObjName("QZTTEMP");
            TStatement* st = c.Stmt("Alter Table " + c.Id(c.Table()) + " ADD " + scratch.Def());
            c.Stmt("Update Rdb$Relation_Fields Set Rdb$Field_Source=" + std::string(kCRLF) +
                   "(Select R.Rdb$Field_Source from Rdb$Relation_Fields R" + kCRLF +
                   "where R.Rdb$Relation_Name = " + c.Lit(c.Table()) + " and R.Rdb$Field_Name='QZTTEMP')" + kCRLF +
                   WhereRel());
            c.Stmt("Alter Table " + c.Id(c.Table()) + " DROP QZTTEMP");
            c.Warn("Domain > SimpleType conversion", st);
            c.RecreateViews();
            return;
        }
        if (!m->Rare().DomainName.empty() || TypeM() == TypeT() || m->IsComputed()) return;
        const std::string note = "Alter Field: " + c.Id(c.Owner()) + "." + c.Id(c.Column()) + ": (" + t->TypeDef() +
                                 " -> " + m->TypeDef() + ")";
        c.Comment(m, note);
        const bool oldNum = In(t->FieldType, {iftNumeric, iftDecimal});
        const bool newNum = In(m->FieldType, {iftNumeric, iftDecimal});
        // Precision and scale of a former NUMERIC are cleared in the same SET list.
        const std::string R = oldNum && !newNum ? std::string(" RDB$FIELD_PRECISION=Null, RDB$FIELD_SCALE=Null,") + kCRLF
                                                : std::string();
        const std::string T = SourceOf(c.Owner());
        std::string text;
        auto simple = [&](int length, int code) {
            text = "UPDATE RDB$FIELDS SET" + std::string(kCRLF) + R + " RDB$FIELD_LENGTH=" + std::to_string(length) +
                   ", RDB$FIELD_TYPE=" + std::to_string(code) + T;
        };
        TDBFieldType nt = m->FieldType;
        if (nt == iftDate && c.k.GetTObjs()->fIBServerOptions.GetSQLDialect() == 1) nt = iftTimeStamp;
        switch (nt) {
            case iftDoublePrecision: simple(8, 27); break;
            case iftFloat: simple(4, 10); break;
            case iftBigInt: simple(8, 16); break;
            case iftInteger: simple(4, 8); break;
            case iftSmallInt: simple(2, 7); break;
            case iftVarchar:
            case iftChar:
                if (m->FieldLength > 0)
                    text = "UPDATE RDB$FIELDS SET" + std::string(kCRLF) + R + " RDB$FIELD_LENGTH=" +
                           std::to_string(m->FieldLength) + ", RDB$CHARACTER_LENGTH=" + std::to_string(m->CharLength) +
                           "," + kCRLF + (nt == iftVarchar ? " RDB$FIELD_TYPE=37" : " RDB$FIELD_TYPE=14") + T;
                break;
            case iftBlob:
                text = "UPDATE RDB$FIELDS SET" + std::string(kCRLF) + R + " RDB$FIELD_LENGTH=8," + kCRLF +
                       " RDB$FIELD_TYPE=261, RDB$FIELD_SUB_TYPE=" + std::to_string(m->Rare().BlobSubType) + T;
                break;
            case iftDate: simple(4, 12); break;
            case iftTime: simple(4, 13); break;
            case iftTimeStamp: simple(8, 35); break;
            case iftNumeric:
            case iftDecimal: {
                int code = 27, length = 8;
                if (m->Precision <= 4) code = 7, length = 2;
                else if (m->Precision <= 9) code = 8, length = 4;
                else if (c.k.GetTObjs()->fIBServerOptions.ODS_GE10()) code = 16;
                text = "UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=" + std::to_string(length) +
                       ", RDB$FIELD_TYPE=" + std::to_string(code) + "," + kCRLF + "RDB$CHARACTER_LENGTH=0, " +
                       "RDB$FIELD_PRECISION=" + std::to_string(m->Precision) + ", " +
                       "RDB$FIELD_SCALE=" + std::to_string(-m->Scale) + ", " +
                       "RDB$FIELD_SUB_TYPE=" + (nt == iftNumeric ? "1" : "2") + T;
                break;
            }
            default: break;
        }
        if (!text.empty()) {
            // The "Alter Field:" comment stands before the statement already.
            c.Warn(note, c.Stmt(text, c.Owner()), false);
        } else {
            // No catalog edit is known for this type: say so rather than write nothing.
            c.CannotMake(m, "DataType conversion not supported: " + std::string(kCRLF) + note);
        }
        if (oldNum && newNum) {
            if (m->Scale != t->Scale)
                c.Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_SCALE = " + std::to_string(-m->Scale) + SourceOf(c.Owner()),
                       c.Owner());
            if (m->Precision != t->Precision)
                c.Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_PRECISION = " + std::to_string(m->Precision) +
                           SourceOf(c.Owner()),
                       c.Owner());
        }
        if (m->Rare().ArrayBounds.size() == t->Rare().ArrayBounds.size()) {
            for (std::size_t d = 0; d < m->Rare().ArrayBounds.size(); ++d)
                if (!(m->Rare().ArrayBounds[d] == t->Rare().ArrayBounds[d]))
                    c.Stmt("update rdb$field_dimensions set rdb$lower_bound = " +
                               std::to_string(m->Rare().ArrayBounds[d].LowerBound) +
                               ", rdb$upper_bound = " + std::to_string(m->Rare().ArrayBounds[d].UpperBound) + kCRLF +
                               "where rdb$field_name = (select rdb$field_source from rdb$relation_fields" + kCRLF +
                               "where rdb$relation_name = " + c.Lit(c.Owner()) +
                               " and rdb$field_name = " + c.Lit(c.Column()) + ")" + kCRLF +
                               "and rdb$dimension = " + std::to_string(d),
                           c.Owner());
        } else {
            c.CannotMake(t, "Array conversion - not supported: " + c.Id(c.Owner()) + "(" + c.Id(c.Column()) + ")");
        }
        c.RecreateViews();
    }

    void Run() {
        TFldData* m = c.m;
        TFldData* t = c.t;
        const std::string tm = TypeM(), ttp = TypeT();
        // 1 to 3: at most one type action.
        if (tm != ttp && !m->IsComputed() && m->Rare().DomainName.empty()) {
            const int allow = IBAllowDataTypeAlter(*m, *t);
            if (oldIB) {
                if (allowConv || allow >= 0) SystemTablePath();
                else c.CannotMake(t, "WARNING:" + std::string(kCRLF) + "Cannot perform safe conversion of " +
                                         c.Id(c.Owner()) + "." + c.Id(c.Column()) + " datatype from " + ttp + " to " + tm);
            } else {
                const bool floatSide = In(m->FieldType, {iftFloat, iftDoublePrecision, iftDouble}) ||
                                       In(t->FieldType, {iftFloat, iftDoublePrecision, iftDouble});
                const bool tsSide = m->FieldType == iftTimeStamp || t->FieldType == iftTimeStamp;
                if (floatSide && tsSide) SystemTablePath();
                else if (allowConv) allow < 0 ? SystemTablePath() : AlterTypePath();
                else if (allow < 0)
                    c.CannotMake(t, "WARNING:" + std::string(kCRLF) + "Cannot perform safe conversion of " +
                                        c.Id(c.Owner()) + "." + c.Id(c.Column()) + " datatype from " + ttp + " to " + tm);
                else AlterTypePath();
            }
        } else if (!m->Rare().DomainName.empty() && !t->Rare().DomainName.empty() && m->Rare().DomainName != t->Rare().DomainName) {
            if ((oldIB || allowConv) && sysEdit) {
                TStatement* st = c.Stmt("UPDATE RDB$RELATION_FIELDS SET RDB$FIELD_SOURCE=" + c.Lit(m->Rare().DomainName) +
                                        " " + WhereRel());
                c.Warn("DataType conversion: replace DOMAIN /" + c.Table() + " (" + c.Column() + ")/", st);
            } else if (!oldIB && (!allowConv || !sysEdit)) {
                // Firebird 3 and later move a column to another domain with ALTER TABLE.
                AlterTypePath();
            } else {
                c.CannotMake(t, "DataType conversion not supported: " + std::string(kCRLF) + "ALTER TABLE " +
                                    c.Id(c.Table()) + " ALTER COLUMN " + c.Id(c.Column()) + " TYPE " + tm);
            }
            c.RecreateViews();
        } else if (m->IsComputed() && m->fBody != t->fBody) {
            c.Comment(m, "Alter Field (Computed)...");
            c.visible = true;
            t->DropDependDef();
            m->SetObjCreated(false);
            m->CreateDependDef();
            c.RecreateViews();
        } else if (m->FieldType == t->FieldType && In(m->FieldType, {iftVarchar, iftChar, iftCstring}) &&
                   !m->IsComputed() && m->CharLength != t->CharLength) {
            // Reached only when the type texts agree (domain-typed columns).
            c.Comment(m, "Alter Field (Length): from " + std::to_string(t->CharLength) + " to " +
                             std::to_string(m->CharLength) + "...");
            c.visible = true;
            if (!oldIB) AlterTypePath();
            else if (sysEdit) {
                TStatement* st = c.Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_LENGTH=" + std::to_string(m->FieldLength) +
                                        ", RDB$CHARACTER_LENGTH=" + std::to_string(m->CharLength) + SourceOf(c.Table()));
                c.Warn("DataType conversion: field LENGTH change /" + c.Table() + "(" + c.Column() + ")/ from " +
                           std::to_string(t->CharLength) + " to " + std::to_string(m->CharLength),
                       st);
            }
            c.RecreateViews();
        } else if (charSetCompare && m->Rare().CharSet != t->Rare().CharSet &&
                   In(m->FieldType, {iftVarchar, iftChar, iftBlob, iftCstring}) && !sysEdit) {
            // Without system-table edits no statement changes a column's set: Firebird 3
            // takes ALTER COLUMN TYPE ... CHARACTER SET and keeps the old set.
            std::string cs = m->Rare().CharSet.empty() ? m->DefaultCharSet() : m->Rare().CharSet.str();
            if (cs.empty()) cs = "NONE";
            c.CannotMake(m, "Character set change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()) + " (" +
                                (t->Rare().CharSet.empty() ? std::string("default") : t->Rare().CharSet.str()) + " -> " + cs +
                                ")");
        } else if (charSetCompare && m->Rare().CharSet != t->Rare().CharSet &&
                   In(m->FieldType, {iftVarchar, iftChar, iftBlob, iftCstring}) && sysEdit) {
            const bool mNone = m->Rare().CharSet.empty() || m->Rare().CharSet == "NONE";
            TStatement* st = nullptr;
            if (mNone && t->Rare().CharSet != "NONE") {
                c.DropDependants();
                st = c.Stmt("UPDATE RDB$FIELDS SET RDB$Character_Set_ID = NULL" + SourceOf(c.Table()));
            } else if (!mNone) {
                c.DropDependants();
                st = c.Stmt("UPDATE RDB$FIELDS SET RDB$Character_Set_ID =" + std::string(kCRLF) +
                            "(Select C.Rdb$Character_Set_ID from Rdb$Character_Sets C" + kCRLF +
                            "where C.Rdb$Character_Set_Name=" + c.Lit(m->Rare().CharSet) + ")" + SourceOf(c.Table()));
            }
            c.Warn("DataType conversion: Charset difference /" + c.Table() + "(" + c.Column() + ")/", st);
            c.RecreateViews();
        }
        // 4. Collation.
        if (charSetCompare && m->Rare().Collation != t->Rare().Collation && !m->IsComputed() && m->IsCharType()) {
            if (!sysEdit) {
                c.CannotMake(m, "Collation change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()) +
                                    " (" + (t->Rare().Collation.empty() ? "none" : t->Rare().Collation) + " -> " +
                                    (m->Rare().Collation.empty() ? "none" : m->Rare().Collation) + ")");
            } else if (!m->Rare().Collation.empty()) {
                TStatement* st = c.Stmt("UPDATE RDB$RELATION_FIELDS SET RDB$Collation_ID =" + std::string(kCRLF) +
                                        "(Select C.Rdb$Collation_ID from Rdb$Collations C" + kCRLF +
                                        "where C.Rdb$Collation_Name=" + c.Lit(m->Rare().Collation) + kCRLF +
                                        " and C.Rdb$Character_Set_ID = " + CharSetIdText() + ")" + kCRLF + "  " +
                                        WhereRel());
                c.Warn("DataType conversion: Collation difference (replace) /" + c.Table() + "(" + c.Column() + ")/",
                       st);
            } else {
                TStatement* st =
                    c.Stmt("UPDATE RDB$RELATION_FIELDS SET RDB$Collation_ID = Null" + std::string(kCRLF) + "  " + WhereRel());
                c.Warn("DataType conversion: Collation difference (clear) /" + c.Table() + "(" + c.Column() + ")/", st);
            }
            c.RecreateViews();
        }
        // 5. BLOB attributes.
        if (m->FieldType == iftBlob && t->FieldType == iftBlob && sysEdit) {
            if (m->Rare().BlobSubType != t->Rare().BlobSubType) {
                TStatement* st = c.Stmt("UPDATE RDB$FIELDS SET RDB$FIELD_SUB_TYPE = " +
                                        std::to_string(m->Rare().BlobSubType) + SourceOf(c.Table()));
                c.Warn("DataType conversion: Blob SUB_TYPE /" + c.Table() + "(" + c.Column() + ")/", st);
            }
            if (m->Rare().BlobSegSize != 0 && m->Rare().BlobSegSize != t->Rare().BlobSegSize) {
                TStatement* st = c.Stmt("UPDATE RDB$FIELDS SET RDB$SEGMENT_LENGTH = " +
                                        std::to_string(m->Rare().BlobSegSize) + SourceOf(c.Table()));
                c.Warn("DataType conversion: Blob SEGMENT_SIZE /" + c.Table() + "(" + c.Column() + ")/", st);
            }
        }
        // 6. Columns typed by domains this side does not know.
        if (m->FieldType == iftUnknown && t->FieldType == iftUnknown && m->Rare().DomainName != t->Rare().DomainName)
            c.Warn("-- Table: " + c.Table() + " Field: " + c.Column() + " [Domain-defined Field's difference]");
        // 7. Nullability.
        if (m->Nullable != t->Nullable && !m->IsComputed()) {
            c.Comment(m, "Alter Field (Null / Not Null)...");
            if (ver == st_Firebird_30 || ver == st_Firebird_40 || ver == st_InterBase_2020) {
                c.visible = true;
                const std::string nulls = c.FillNulls();
                TStatement* st = c.Stmt("ALTER TABLE " + c.Id(c.Table()) + " ALTER " + c.Id(c.Column()) +
                                        (m->Nullable ? " DROP NOT NULL" : " SET NOT NULL") + kCRLF);
                c.WarnNulls(nulls, st);
            } else if (sysEdit) {
                c.visible = true;
                // The catalog edit checks no rows: NULLs left would break the constraint unseen.
                const std::string nulls = c.FillNulls();
                TStatement* st = c.Stmt("UPDATE RDB$RELATION_FIELDS SET RDB$NULL_FLAG = " +
                                        std::string(m->Nullable ? "NULL" : "1") + " " + WhereRel() + kCRLF);
                c.WarnNulls(nulls, st);
                c.Warn("DataType conversion: Nullable difference /" + c.Table() + "(" + c.Column() + ")/", st);
            } else {
                c.CannotMake(m, "Nullability change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()) +
                                    (m->Nullable ? " DROP NOT NULL" : " SET NOT NULL"));
            }
        }
        // 8. Default.
        if (m->GetDefValue() != t->GetDefValue() && !m->IsComputed()) {
            if (ver >= st_Firebird_21) {
                c.DropDependants();
                c.Stmt("ALTER TABLE " + c.Id(c.Table()) + " ALTER COLUMN " + c.Id(c.Column()) + " " +
                           (m->GetDefValue().empty() ? std::string("DROP DEFAULT") : "SET DEFAULT " + m->GetDefValue()),
                       c.Owner());
            } else if (sysEdit) {
                TFldData scratch(m->fObjs);
                scratch.Assign(DataOf(*m));
                scratch.OwnName.clear();
                scratch.OwnObj = nullptr;
                scratch.SetDefValue(m->Rare().FDefValue);
                scratch.SetObjName("QZTXXX");
                c.Stmt("CREATE DOMAIN " + scratch.Def(), c.Owner());
                TStatement* st =
                    c.Stmt("UPDATE RDB$RELATION_FIELDS SET RDB$DEFAULT_SOURCE=" + std::string(kCRLF) +
                           "(SELECT RDB$DEFAULT_SOURCE FROM RDB$FIELDS where RDB$FIELD_NAME='QZTXXX')," + kCRLF +
                           "RDB$DEFAULT_VALUE=" + kCRLF +
                           "(SELECT RDB$DEFAULT_VALUE FROM RDB$FIELDS where RDB$FIELD_NAME='QZTXXX')" + kCRLF + WhereRel());
                c.Stmt("DROP DOMAIN QZTXXX", c.Owner());
                if (m->Rare().DomainName.empty())
                    c.Stmt("UPDATE RDB$FIELDS SET RDB$DEFAULT_VALUE = NULL," + std::string(kCRLF) +
                           "RDB$DEFAULT_SOURCE = '' WHERE RDB$FIELD_NAME =" + kCRLF +
                           "(SELECT RDB$FIELD_SOURCE FROM RDB$RELATION_FIELDS" + kCRLF +
                           "WHERE RDB$FIELD_NAME = " + c.Lit(c.Column()) + " AND RDB$RELATION_NAME = " +
                           c.Lit(c.Table()) + ")");
                c.Warn("DataType conversion: DEFAULT difference /" + c.Table() + "(" + c.Column() + ")/", st);
            } else {
                c.CannotMake(m, "Default change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()));
            }
        }
        // 9. Domain added or removed.
        if (m->Rare().DomainName.empty() != t->Rare().DomainName.empty() && !m->Rare().DomainName.empty() && m->GetDmnData() &&
            m->GetDmnData()->fData) {
            const int allow = IBAllowDataTypeAlter(*m->GetDmnData()->fData, *t);
            if (!allowConv && allow < 0)
                c.CannotMake(t, "DataType conversion not supported: " + std::string(kCRLF) + "ALTER TABLE " +
                                    c.Id(c.Table()) + " ALTER COLUMN " + c.Id(c.Column()) + " TYPE " + tm);
            else if (allowConv && allow < 0) SystemTablePath();
            else oldIB ? SystemTablePath() : AlterTypePath();
        }
    }
};

// ---------------------------------------------------------------------------
// Other kinds

// Whether the new type holds every value of the old one: same family and no smaller size.
bool Widens(const TFldData& m, const TFldData& t) {
    static const TDBFieldType ints[] = {iftTinyInt, iftSmallInt, iftInteger, iftBigInt};
    auto rank = [](TDBFieldType f) {
        for (int i = 0; i < 4; ++i)
            if (ints[i] == f) return i;
        return -1;
    };
    if (rank(m.FieldType) >= 0 && rank(t.FieldType) >= 0) return rank(m.FieldType) >= rank(t.FieldType);
    if (m.FieldType != t.FieldType) return false;
    if (In(m.FieldType, {iftNumeric, iftDecimal}))
        return m.Scale >= t.Scale && m.Precision - m.Scale >= t.Precision - t.Scale;
    if (m.CharLength == -1) return true;
    return t.CharLength != -1 && m.CharLength >= t.CharLength;
}

// The type change st makes may cut or refuse values: a warning tied to it.
void NarrowingWarning(TAlterCtx& c, TStatement* st) {
    if (c.m->FieldTypeDef() == c.t->FieldTypeDef() || Widens(*c.m, *c.t)) return;
    c.Warn("DataType conversion (values may be cut or refused): " + c.t->FieldTypeDef() + " -> " +
               c.m->FieldTypeDef() + " /" + c.Table() + "(" + c.Column() + ")/",
           st);
}

void PGSQLRoutine(TAlterCtx& c) {
    const std::string table = c.mt->GetObjFullName();
    const std::string col = c.Id(c.t->fObjName);
    const std::string head = "ALTER TABLE " + table + " ALTER COLUMN " + col;
    const bool typeDiff = c.m->FieldTypeDef() != c.t->FieldTypeDef();
    if (typeDiff || c.m->Rare().Collation != c.t->Rare().Collation) {
        c.DropDependants();
        // The collation rides on the type clause; the column keeps the database's when none is named.
        TStatement* st = c.Stmt(head + " TYPE " + c.m->FieldTypeDef() +
                                (c.m->Rare().Collation.empty() ? std::string() : " COLLATE " + c.Id(c.m->Rare().Collation)));
        if (typeDiff) NarrowingWarning(c, st);
        c.RecreateViews();
    }
    if (c.m->GetDefValue() != c.t->GetDefValue()) {
        c.DropDependants();
        c.Stmt(head + (c.m->GetDefValue().empty() ? std::string(" DROP DEFAULT") : " SET DEFAULT " + c.m->GetDefValue()));
    }
    if (c.m->Nullable != c.t->Nullable) {
        c.DropDependants();
        const std::string nulls = c.FillNulls();
        c.WarnNulls(nulls, c.Stmt(head + (c.m->Nullable ? " DROP NOT NULL" : " SET NOT NULL")));
    }
}

void MySQLRoutine(TAlterCtx& c) {
    if (c.m->TypeDef() == c.t->TypeDef()) return;
    // The server refuses to retype a column that a foreign key uses: keys, indices and views
    // on the column go first and are created again by their own phases.
    const bool typeDiff = c.m->FieldTypeDef() != c.t->FieldTypeDef() || c.m->Rare().CharSet != c.t->Rare().CharSet ||
                          c.m->Rare().Collation != c.t->Rare().Collation;
    if (typeDiff) c.DropDependants();
    const std::string nulls = c.FillNulls();
    TStatement* st =
        c.Stmt("ALTER TABLE " + c.Id(c.Table()) + " MODIFY COLUMN " + c.Id(c.Column()) + " " + c.m->TypeDef());
    if (typeDiff) c.RecreateViews();
    c.Warn("Modify column: " + c.Table() + "(" + c.Column() + ")/", st);
    NarrowingWarning(c, st);
    c.WarnNulls(nulls, st);
}

// Puts the columns of a MySQL table in the master's order once its columns are added and
// altered. New columns were added in their places (ADD ... AFTER / FIRST); the columns kept
// from the target keep their order. Only the columns off the longest run already in order
// are moved, each after its master predecessor, in master order.
void MySQLColumnOrder(TKeldar& k, TTblData* mt, TTblData* tt) {
    const std::vector<std::string> now = ColumnOrderAfterAdds(*mt, *tt, true);
    const std::vector<std::string> wanted = MasterColumnOrder(*mt);
    if (now == wanted || now.size() != wanted.size()) return;
    // Position of each wanted column in the present order.
    std::vector<std::size_t> pos(wanted.size(), 0);
    for (std::size_t i = 0; i < wanted.size(); ++i)
        pos[i] = static_cast<std::size_t>(std::find(now.begin(), now.end(), wanted[i]) - now.begin());
    const std::vector<bool> stays = LongestIncreasingRun(pos);
    TCustomSQLExec* ex = k.GetSQLExec();
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (stays[i]) continue;
        const TFldData* f = mt->FindFld(wanted[i]);
        ex->Add("ALTER TABLE " + k.QuoteIdent(mt->fObjName) + " MODIFY COLUMN " + k.QuoteIdent(f->fObjName) + " " +
                    f->TypeDef() + (i == 0 ? std::string(" FIRST") : " AFTER " + k.QuoteIdent(wanted[i - 1])),
                stStatement, f->fObjName, dboField, odbAlter, mt->fObjName);
    }
}

void MSSQLRoutine(TAlterCtx& c) {
    TFldData* m = c.m;
    TFldData* t = c.t;
    if (!m->Nullable && t->Nullable)
        for (auto& l : m->fUseIn)
            if (auto* ctr = dynamic_cast<TCtrData*>(l->Obj); ctr && ctr->fCtType == ctDefault) ctr->CreateDependDef();
    if (m->GetDefValue() != t->GetDefValue()) {
        c.DropDependants();
        // Without a master default the old constraint is gone with the dependants; nothing to add.
        if (!m->GetDefValue().empty())
            c.Stmt("ALTER TABLE " + c.Id(c.Owner()) + " ADD DEFAULT " + m->GetDefValue() + " FOR " + c.Id(c.Column()),
                   c.Owner());
        c.RecreateViews();
    }
    if (m->FieldTypeDef() != t->FieldTypeDef() || m->Rare().Collation != t->Rare().Collation || m->Nullable != t->Nullable) {
        c.DropDependants();
        const std::string table = m->OwnObj ? m->OwnObj->GetObjFullName() : m->OwnName;
        if (m->IsComputed() || t->IsComputed()) {
            t->DropDependDef();
            m->SetObjCreated(false);
            m->CreateDependDef();
            c.RecreateViews();
        } else {
            const std::string text = "ALTER TABLE " + table + " ALTER COLUMN " + c.Id(c.Column()) + " " +
                                     m->FieldTypeDef() + (m->Rare().Collation.empty() ? "" : " COLLATE " + m->Rare().Collation) +
                                     (m->Nullable ? " NULL" : " NOT NULL");
            if (MSSQLConversionAllowed(t->FieldType, m->FieldType)) {
                const std::string nulls = c.FillNulls();
                TStatement* st = c.Stmt(text, c.Owner());
                NarrowingWarning(c, st);
                c.WarnNulls(nulls, st);
                c.RecreateViews();
            } else {
                c.ex->AddComment("/* Datatype conversion is not allowed: " + t->FieldTypeDef() + " -> " +
                                 m->FieldTypeDef() + kCRLF + text + " */");
                c.Warn("Datatype conversion is not allowed: " + t->FieldTypeDef() + " -> " + m->FieldTypeDef() + " /" +
                           c.Table() + "(" + c.Column() + ")/",
                       nullptr, false);
            }
        }
    }
    if (m->Rare().RowGuidCol != t->Rare().RowGuidCol) {
        c.Stmt("ALTER TABLE " + c.Id(c.Owner()) + " ALTER COLUMN " + c.Id(c.Column()) +
               (m->Rare().RowGuidCol ? " ADD ROWGUIDCOL" : " DROP ROWGUIDCOL"));
        c.RecreateViews();
    }
}

void OracleRoutine(TAlterCtx& c) {
    if (c.m->FieldTypeDef() != c.t->FieldTypeDef()) {
        NarrowingWarning(c, c.Stmt("ALTER TABLE " + c.Id(c.Owner()) + " MODIFY(" + c.Id(c.Column()) + " " +
                                       c.m->FieldTypeDef() + ")",
                                   c.Owner()));
        c.RecreateViews();
    }
    if (c.m->GetDefValue() != c.t->GetDefValue())
        c.Stmt("ALTER TABLE " + c.Id(c.Owner()) + " MODIFY(" + c.Id(c.Column()) + " DEFAULT " +
               (c.m->GetDefValue().empty() ? std::string("NULL") : c.m->GetDefValue()) + ")");
    // Nullability is not altered here; the script says so rather than leave it unseen.
    if (c.m->Nullable != c.t->Nullable && !c.m->IsComputed())
        c.CannotMake(c.m, "Nullability change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()) +
                              (c.m->Nullable ? " DROP NOT NULL" : " SET NOT NULL"));
}

void ASARoutine(TAlterCtx& c) {
    const std::string table =
        TDialectTraits::Qualified([&c](const std::string& s) { return c.Id(s); }, c.mt->Extra().OwnUser, c.Table());
    const std::string col = c.Id(c.t->fObjName);
    if (c.m->FieldTypeDef() != c.t->FieldTypeDef())
        NarrowingWarning(c, c.Stmt("ALTER TABLE " + table + " MODIFY " + col + " " + c.m->FieldTypeDef()));
    if (c.m->Nullable != c.t->Nullable) {
        const std::string nulls = c.FillNulls();
        c.WarnNulls(nulls, c.Stmt("ALTER TABLE " + table + " MODIFY " + col + (c.m->Nullable ? " NULL" : " NOT NULL")));
    }
    const std::string md = c.m->GetDefValue(), td = c.t->GetDefValue();
    if (md != td) {
        if (!md.empty() && !td.empty()) c.Stmt("ALTER TABLE " + table + " MODIFY " + col + " DEFAULT " + md);
        else if (!md.empty()) c.Stmt("ALTER TABLE " + table + " ALTER " + col + " SET DEFAULT " + md);
        else c.Stmt("ALTER TABLE " + table + " ALTER " + col + " DROP DEFAULT");
    }
}

void ASERoutine(TAlterCtx& c) {
    if (c.m->GetDefValue() != c.t->GetDefValue())
        c.Stmt("ALTER TABLE " + c.Id(c.Table()) + " REPLACE " + c.Id(c.t->fObjName) + " DEFAULT " +
               (c.m->GetDefValue().empty() ? std::string("NULL") : c.m->GetDefValue()));
    if (c.m->FieldTypeDef() != c.t->FieldTypeDef() || c.m->Nullable != c.t->Nullable)
        c.CannotMake(c.m, "Column change not supported: " + c.Id(c.Table()) + "." + c.Id(c.Column()) + " (" +
                              c.t->TypeDef() + " -> " + c.m->TypeDef() + ")");
}

}  // namespace

int IBAllowDataTypeAlter(const TFldData& aNew, const TFldData& aOld) {
    if ((!aNew.Rare().DomainName.empty() && (!aNew.GetDmnData() || !aNew.GetDmnData()->fData)) ||
        (!aOld.Rare().DomainName.empty() && (!aOld.GetDmnData() || !aOld.GetDmnData()->fData)))
        return 1;
    const TFldData& n = DataOf(aNew);
    const TFldData& o = DataOf(aOld);
    int r;
    if (n.FieldType == o.FieldType && n.NumericFieldType == o.NumericFieldType) {
        if (In(n.FieldType, {iftVarchar, iftChar}))
            r = n.CharLength > o.CharLength ? 1 : n.CharLength < o.CharLength ? -1 : 0;
        else
            r = 0;
    } else {
        auto eff = [](const TFldData& f) {
            return In(f.FieldType, {iftNumeric, iftDecimal}) && f.NumericFieldType != iftUnknown ? f.NumericFieldType
                                                                                                 : f.FieldType;
        };
        const TDBFieldType nt = eff(n);
        switch (eff(o)) {
            case iftInteger: r = In(nt, {iftFloat, iftDoublePrecision, iftSmallInt}) ? -1 : 1; break;
            case iftDoublePrecision:
            case iftBlob: r = -1; break;
            case iftBigInt: r = In(nt, {iftInteger, iftFloat, iftDoublePrecision, iftSmallInt}) ? -1 : 1; break;
            case iftFloat: r = nt == iftDoublePrecision ? 1 : -1; break;
            case iftVarchar:
            case iftChar: r = In(nt, {iftVarchar, iftChar}) ? 1 : -1; break;
            case iftSmallInt: r = In(nt, {iftInteger, iftBigInt, iftFloat, iftDoublePrecision}) ? 1 : -1; break;
            default: r = 1; break;
        }
    }
    if (n.ArrayBoundsDiff(o)) r = -1;
    return r;
}

std::vector<std::string> ColumnOrderAfterAdds(const TTblData& Master, const TTblData& Target, bool InPlace) {
    std::vector<std::string> order;
    for (const TFldData* tf : Target.Flds)
        if (const TFldData* mf = Master.FindFld(tf->fObjName); mf && mf->GetObjCreated()) order.push_back(mf->fObjName);
    for (std::size_t i = 0; i < Master.Flds.Count(); ++i) {
        const TFldData* mf = Master.Flds.Objects(i);
        if (!mf->GetObjCreated() || Target.FindFld(mf->fObjName)) continue;
        auto at = order.end();
        if (InPlace) {
            at = order.begin();  // FIRST when no master predecessor is there
            for (std::size_t p = i; p-- > 0;) {
                auto it = std::find(order.begin(), order.end(), Master.Flds.Objects(p)->fObjName);
                if (it != order.end()) {
                    at = it + 1;
                    break;
                }
            }
        }
        order.insert(at, mf->fObjName);
    }
    return order;
}

std::vector<std::string> MasterColumnOrder(const TTblData& Master) {
    std::vector<std::string> order;
    for (const TFldData* f : Master.Flds)
        if (f->GetObjCreated()) order.push_back(f->fObjName);
    return order;
}

std::vector<bool> LongestIncreasingRun(const std::vector<std::size_t>& Values) {
    const std::size_t n = Values.size();
    std::vector<std::size_t> tails;  // index of the smallest tail of a run of each length
    std::vector<std::size_t> prev(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        auto it = std::lower_bound(tails.begin(), tails.end(), Values[i],
                                   [&Values](std::size_t t, std::size_t v) { return Values[t] < v; });
        if (it != tails.begin()) prev[i] = *(it - 1);
        if (it == tails.end()) tails.push_back(i);
        else *it = i;
    }
    std::vector<bool> member(n, false);
    for (std::size_t i = tails.empty() ? n : tails.back(); i < n; i = prev[i]) member[i] = true;
    return member;
}

bool MSSQLConversionAllowed(TDBFieldType o, TDBFieldType n) {
    if (o == n) return true;
    static const std::initializer_list<TDBFieldType> exact = {
        iftInteger, iftBigInt, iftFloat, iftTinyInt, iftReal, iftVarchar, iftChar, iftTimeStamp, iftDateTime,
        iftSmallDateTime, iftBinary, iftNumeric, iftDecimal, iftNChar, iftNVarChar, iftSmallInt, iftBit, iftMoney,
        iftSmallMoney, iftVarBinary, iftSqlVariant};
    static const std::initializer_list<TDBFieldType> chars = {
        iftInteger, iftBigInt, iftFloat, iftTinyInt, iftReal, iftVarchar, iftChar, iftDateTime, iftSmallDateTime,
        iftNumeric, iftDecimal, iftText, iftNChar, iftNVarChar, iftNText, iftSmallInt, iftBit, iftImage,
        iftUniqueIdent, iftSqlVariant};
    if (In(o, {iftInteger, iftBigInt, iftTinyInt, iftNumeric, iftDecimal, iftSmallInt, iftBit})) return In(n, exact);
    if (In(o, {iftFloat, iftReal})) return n != iftTimeStamp && In(n, exact);
    if (In(o, {iftVarchar, iftChar})) return In(n, chars);
    if (In(o, {iftNChar, iftNVarChar})) return n != iftImage && In(n, chars);
    if (In(o, {iftMoney, iftSmallMoney}))
        return In(n, {iftInteger, iftBigInt, iftFloat, iftTinyInt, iftReal, iftTimeStamp, iftDateTime,
                      iftSmallDateTime, iftBinary, iftNumeric, iftDecimal, iftSmallInt, iftBit, iftMoney,
                      iftSmallMoney, iftVarBinary, iftSqlVariant});
    if (In(o, {iftBinary, iftVarBinary}))
        return In(n, {iftInteger, iftBigInt, iftTinyInt, iftVarchar, iftChar, iftTimeStamp, iftDateTime,
                      iftSmallDateTime, iftBinary, iftNumeric, iftDecimal, iftNChar, iftNVarChar, iftSmallInt, iftBit,
                      iftMoney, iftSmallMoney, iftVarBinary, iftImage, iftUniqueIdent, iftSqlVariant});
    if (o == iftTimeStamp)
        return In(n, {iftInteger, iftBigInt, iftTinyInt, iftVarchar, iftChar, iftTimeStamp, iftDateTime,
                      iftSmallDateTime, iftBinary, iftNumeric, iftDecimal, iftSmallInt, iftBit, iftMoney,
                      iftSmallMoney, iftVarBinary, iftImage});
    if (In(o, {iftDateTime, iftSmallDateTime}))
        return In(n, {iftVarchar, iftChar, iftDateTime, iftSmallDateTime, iftNChar, iftNVarChar, iftSqlVariant});
    if (o == iftText) return In(n, {iftVarchar, iftChar, iftNText});
    if (o == iftNText) return In(n, {iftText, iftNChar, iftNVarChar});
    if (o == iftImage) return In(n, {iftTimeStamp, iftBinary, iftVarBinary});
    if (o == iftUniqueIdent)
        return In(n, {iftVarchar, iftChar, iftBinary, iftNChar, iftNVarChar, iftVarBinary, iftSqlVariant});
    return false;
}

void GenScriptColumnsAlter(TKeldar& k) {
    TCustomObjs* mo = k.GetMObjs();
    TCustomObjs* to = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!mo || !to || !ex) return;
    const TDatabaseType db = to->GetDatabaseType();
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    bool visible = false;
    for (TTblData* mt : mo->Tbl) {
        auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj());
        if (!tt || mt->CompExclude || mt->ReCreated) continue;
        std::size_t hint = 0;
        for (TFldData* m : mt->Flds) {
            TFldData* t = tt->FindFld(m->fObjName, hint);
            if (!t) continue;
            if (m->Def() != t->Def()) {
                TAlterCtx c{k, ex, db, mt, tt, m, t};
                switch (db) {
                    case dbInterBase:
                        if (IsIBKind(*m)) {
                            TIBRoutine r(c);
                            r.Run();
                        }
                        break;
                    case dbSybaseASA: ASARoutine(c); break;
                    case dbMySQL: MySQLRoutine(c); break;
                    case dbOracle: OracleRoutine(c); break;
                    case dbMSSQL: MSSQLRoutine(c); break;
                    case dbPostgreSQL: PGSQLRoutine(c); break;
                    case dbSybaseASE: ASERoutine(c); break;
                    default: break;  // DB2 columns are not altered
                }
                visible = visible || c.visible;
            }
            if (descriptions && m->Extra().fDescription != t->Extra().fDescription) m->AddDescription(ex);
        }
        // After the column changes, so that each move restates the column as the master has it.
        if (db == dbMySQL) MySQLColumnOrder(k, mt, tt);
    }
    if (visible) ex->AddComment(kCRLF);
}

// ---------------------------------------------------------------------------
// SQL Server table rebuild

namespace {
bool HasIdentity(const TTblData& t) {
    for (const TFldData* f : t.Flds)
        if (f->Identity) return true;
    return false;
}

void CopyRows(TKeldar& k, const TTblData& mt, const std::string& to, const std::string& from) {
    TCustomSQLExec* ex = k.GetSQLExec();
    std::string cols;
    for (const TFldData* f : mt.Flds) {
        if (f->IsComputed()) continue;
        if (!cols.empty()) cols += ", ";
        cols += k.QuoteIdent(f->fObjName);
    }
    const bool identity = HasIdentity(mt);
    const TDatabaseType db = k.GetTObjs()->GetDatabaseType();
    // Identity values are copied as they are.
    const bool mssql = db == dbMSSQL && identity;
    const std::string overriding = db == dbPostgreSQL && identity ? "OVERRIDING SYSTEM VALUE" + std::string(kCRLF) : "";
    if (mssql) ex->Add("SET IDENTITY_INSERT " + to + " ON", stStatement, mt.fObjName, dboTable, odbUnknown);
    ex->Add("insert into " + to + "(" + cols + ")" + kCRLF + overriding + "select " + cols + " from " + from, stInsert,
            mt.fObjName, dboTable, odbInsert);
    if (mssql) ex->Add("SET IDENTITY_INSERT " + to + " OFF", stStatement, mt.fObjName, dboTable, odbUnknown);
}
}  // namespace

void MSSQLUpdateColumnPositionRecreateTable(TKeldar& k) {
    TCustomObjs* to = k.GetTObjs();
    if (!to || to->GetDatabaseType() != dbMSSQL || !k.GetMSSQLCompareOptions().GetUpdateColumnPosition()) return;
    RecreateTablesForColumnOrder(k);
}

void RecreateTablesForColumnOrder(TKeldar& k) {
    TCustomObjs* mo = k.GetMObjs();
    TCustomObjs* to = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!mo || !to || !ex) return;
    bool rebuilt = false;
    for (TTblData* mt : mo->Tbl)
        if (mt->fUpdFldPos) mt->DoBeforeDrop();
    for (TTblData* mt : mo->Tbl) {
        if (!mt->fUpdFldPos) continue;
        rebuilt = true;
        const std::string real = mt->GetObjFullName();
        k.DoLogNextLine("ReCreate table (upd. column position): " + real);
        const std::string name = mt->fObjName;
        mt->SetObjName("krv$" + name);
        const std::string scratch = mt->GetObjFullName();
        mt->AddStatement(mt->CreateDef(), stStatement, scratch, dboTable, odbCreate);
        mt->SetObjName(name);
        CopyRows(k, *mt, scratch, real);
        if (auto* tt = dynamic_cast<TTblData*>(mt->GetRefObj())) {
            // DropDependDef keeps a table the master still has, so the drop is written here:
            // its rows are safe in the scratch copy by now.
            tt->DoBeforeDrop();
            ex->Add(tt->DropDef(), stStatement, tt->fObjName, dboTable, odbDrop);
            for (TFldData* f : tt->Flds) f->SetObjCreated(false);
            tt->SetObjCreated(false);
            mt->SetObjCreated(false);
            mt->CreateDependDef();
        }
        CopyRows(k, *mt, real, scratch);
        ex->Add("DROP TABLE " + scratch, stStatement, scratch, dboTable, odbDrop);
        mt->SetUpdFldPos(false);
    }
    if (!rebuilt) return;
    // The rebuild runs after the index, key, view and trigger phases and dropped those of the
    // rebuilt tables: their generators run again and create what is no longer there.
    const TCmpObjSetType cmp = k.GetCompareObjects();
    if (cmp.Contains(coIndex)) GenScriptIdxCreate(k);
    if (cmp.Contains(coPrimaryKey) || cmp.Contains(coForeignKey) || cmp.Contains(coUnique) || cmp.Contains(coCheck))
        GenScriptCtrCreate(k, TConstraintTypeSet{ctPKey, ctUnique, ctFKey, ctCheck, ctKey, ctDefault, ctNotNull,
                                                 ctReferences});
    if (cmp.Contains(coView)) GenScriptViewCreate(k);
    if (cmp.Contains(coTrigger)) {
        GenScriptTrigCreate(mo, to, ex, cmp);
        GenScriptTrigAlter(k);
    }
}

}  // namespace dbtwin
