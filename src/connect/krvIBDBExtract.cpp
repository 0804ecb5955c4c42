#include "connect/krvIBDBExtract.h"

#include <algorithm>
#include <tuple>

#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Def.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Exc.h"
#include "objects/krvComp_Gnr.h"
#include "objects/krvComp_Fnc.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Rol.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBExParser.h"

namespace dbtwin {

namespace {

// A text of the catalog (a BLOB) as two columns: up to aInline characters inline as aAlias,
// which costs no round trip of its own as a BLOB does, and a longer one as the BLOB
// aAlias$BLOB. Every row carries the inline column's full width through the client, so the
// texts of columns and parameters (many rows, short texts) are read with a narrow one.
std::string Text(const std::string& aExpr, const std::string& aAlias, int aInline = 8000) {
    const std::string n = std::to_string(aInline);
    return "case when char_length(" + aExpr + ") <= " + n + " then cast(" + aExpr + " as varchar(" + n + ")) end " +
           aAlias + ", case when char_length(" + aExpr + ") > " + n + " then " + aExpr + " end " + aAlias + "$BLOB";
}

std::string Str(const TIBDBExtract::TRow& r, const std::string& aName) {
    const auto it = r.find(aName);
    if (it == r.end()) return std::string();
    if (it->second.IsNull()) {
        // A long text read by Text() comes in its second column.
        const auto blob = r.find(aName + "$BLOB");
        return blob == r.end() ? std::string() : blob->second.AsString();
    }
    return it->second.AsString();
}

// Names and CHAR texts of the catalog come padded with blanks.
std::string Name(const TIBDBExtract::TRow& r, const std::string& aName) { return TrimRight(Str(r, aName)); }

bool IsNull(const TIBDBExtract::TRow& r, const std::string& aName) {
    const auto it = r.find(aName);
    return it == r.end() || it->second.IsNull();
}

std::int64_t Int(const TIBDBExtract::TRow& r, const std::string& aName) {
    const auto it = r.find(aName);
    return it == r.end() || it->second.IsNull() ? 0 : it->second.AsInteger();
}

// A stored source text: line breaks as the script reader keeps them (LF), trimmed.
std::string Source(const TIBDBExtract::TRow& r, const std::string& aName) {
    std::string s = Str(r, aName);
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out += s[i];
    return Trim(out);
}

// A stored default: "DEFAULT x" (or "= x") without its comments and the keyword.
std::string CleanDefault(const std::string& aSource) {
    std::string s;
    for (std::size_t i = 0; i < aSource.size(); ++i) {
        const char c = aSource[i];
        if (c == '\'' || c == '"') {
            const std::size_t start = i;
            for (++i; i < aSource.size(); ++i)
                if (aSource[i] == c) {
                    if (i + 1 < aSource.size() && aSource[i + 1] == c) ++i;
                    else break;
                }
            s += aSource.substr(start, i - start + 1);
        } else if (c == '/' && i + 1 < aSource.size() && aSource[i + 1] == '*') {
            const std::size_t end = aSource.find("*/", i + 2);
            i = end == std::string::npos ? aSource.size() : end + 1;
        } else {
            s += c;
        }
    }
    s = Trim(s);
    if (s.size() >= 8 && SameText(s.substr(0, 8), "DEFAULT ")) s = s.substr(8);
    else if (!s.empty() && s[0] == '=') s = s.substr(1);
    return Trim(s);
}

// A stored CHECK source: the text after the word CHECK, with the leading blank the script
// reader keeps for a domain's check.
std::string CheckText(const std::string& aSource) {
    std::string s = Trim(aSource);
    if (s.size() > 5 && SameText(s.substr(0, 5), "CHECK")) s = Trim(s.substr(5));
    return s;
}

}  // namespace

TIBDBExtract::TIBDBExtract(TComponent* aOwner) : TCustomExtract(aOwner) {
    fDatabaseType = dbInterBase;
    fProgressMax = 16;
}

TIBDBExtract::~TIBDBExtract() { SetKRVConnection(nullptr); }

void TIBDBExtract::SetKRVConnection(TKRVCustomConnection* aConnection) {
    if (fConnection == aConnection) return;
    if (fConnection) RemoveFreeNotification(fConnection);
    fConnection = aConnection;
    if (fConnection) FreeNotification(fConnection);
}

void TIBDBExtract::Notification(TComponent* aComponent, TOperation aOperation) {
    TCustomExtract::Notification(aComponent, aOperation);
    if (aOperation == opRemove && aComponent == fConnection) fConnection = nullptr;
}

std::vector<TIBDBExtract::TRow> TIBDBExtract::Select(const std::string& aSQL, const std::vector<std::string>& aParams) {
    std::vector<TRow> rows;
    ForEach(aSQL, aParams, [&rows](const TRow& r) { rows.push_back(r); });
    return rows;
}

void TIBDBExtract::ForEach(const std::string& aSQL, const std::vector<std::string>& aParams,
                           const std::function<void(const TRow&)>& aRow) {
    std::unique_ptr<TKRVQuery> q(fConnection->CreateQuery(nullptr));
    if (!q) throw EKrvError("TIBDBExtract: the connection makes no query");
    // The catalog statements mark their parameters with "?": each becomes a named marker.
    std::string text;
    std::size_t marker = 0;
    bool quoted = false;
    for (const char c : aSQL) {
        if (c == '\'') quoted = !quoted;
        if (c == '?' && !quoted) text += ":p" + std::to_string(++marker);
        else text += c;
    }
    q->SetSQLText(text);
    TKRVParams* params = q->GetParams();
    if (!params || params->Count() != aParams.size())
        throw EKrvError("TIBDBExtract: parameter count mismatch in a catalog query");
    for (std::size_t i = 0; i < aParams.size(); ++i) (*params)[i].SetString(aParams[i]);
    q->Open();
    // One row object for the whole result: its entries are kept and their values replaced.
    TRow r;
    std::vector<TKRVValue*> slots;
    while (!q->GetEof()) {
        TKRVFields* fields = q->GetFields();
        if (slots.empty())
            for (std::size_t i = 0; i < fields->Count(); ++i)
                slots.push_back(&r[UpperCase((*fields)[i].GetFieldName())]);
        for (std::size_t i = 0; i < slots.size(); ++i) *slots[i] = (*fields)[i];
        aRow(r);
        q->Next();
    }
    q->Close();
}

// The small tables every type decoding uses, read once: array bounds by field name (in
// dimension order), character sets and collations by id, identity generators' start values.
void TIBDBExtract::LoadLookups() {
    fCharSets.clear();
    ForEach("select rdb$character_set_id, rdb$character_set_name, rdb$default_collate_name from rdb$character_sets", {},
            [this](const TRow& c) {
                fCharSets[Int(c, "RDB$CHARACTER_SET_ID")] = {Name(c, "RDB$CHARACTER_SET_NAME"),
                                                             Name(c, "RDB$DEFAULT_COLLATE_NAME")};
            });
    fCollations.clear();
    ForEach("select rdb$character_set_id, rdb$collation_id, rdb$collation_name from rdb$collations", {},
            [this](const TRow& c) {
                fCollations[{Int(c, "RDB$CHARACTER_SET_ID"), Int(c, "RDB$COLLATION_ID")}] = Name(c, "RDB$COLLATION_NAME");
            });
    fIdentityStart.clear();
    if (HasIdentity())
        ForEach("select rdb$generator_name, rdb$initial_value from rdb$generators where rdb$system_flag = 6", {},
                [this](const TRow& g) { fIdentityStart[Name(g, "RDB$GENERATOR_NAME")] = Int(g, "RDB$INITIAL_VALUE"); });
    fDimensions.clear();
    ForEach("select rdb$field_name, rdb$lower_bound, rdb$upper_bound from rdb$field_dimensions "
            "order by rdb$field_name, rdb$dimension",
            {}, [this](const TRow& b) {
                fDimensions[Name(b, "RDB$FIELD_NAME")].push_back({static_cast<std::int32_t>(Int(b, "RDB$LOWER_BOUND")),
                                                                  static_cast<std::int32_t>(Int(b, "RDB$UPPER_BOUND"))});
            });
}

// The columns of an index in position order; every index's segments are read by the first call.
const std::vector<std::string>& TIBDBExtract::Segments(const std::string& aIndex) {
    if (!fSegmentsRead) {
        fSegmentsRead = true;
        ForEach("select rdb$index_name, rdb$field_name from rdb$index_segments order by rdb$index_name, rdb$field_position",
                {}, [this](const TRow& s) { fSegments[Name(s, "RDB$INDEX_NAME")].push_back(Name(s, "RDB$FIELD_NAME")); });
    }
    static const std::vector<std::string> kNone;
    const auto it = fSegments.find(aIndex);
    return it == fSegments.end() ? kNone : it->second;
}

namespace {

// The rows of the capability probe: code, catalog table, column (empty for a table), and the
// flag the row sets.
struct TProbeItem {
    int Code;
    const char* Relation;
    const char* Field;
    bool TIBDBExtract::*Flag;
};
const TProbeItem kProbe[] = {
    {2, "RDB$FIELDS", "RDB$FIELD_PRECISION", &TIBDBExtract::fRdbFldPrecision},
    {6, "RDB$RELATIONS", "RDB$RELATION_TYPE", &TIBDBExtract::fRdbRelationType},
    {7, "RDB$GENERATORS", "RDB$DESCRIPTION", &TIBDBExtract::fRdbGnrDescription},
    {8, "RDB$ROLES", "RDB$DESCRIPTION", &TIBDBExtract::fRdbRolDescription},
    {9, "RDB$ROLES", "RDB$SYSTEM_FLAG", &TIBDBExtract::fRdbRolSysFlag},
    {10, "RDB$ROLES", "", &TIBDBExtract::fRdbRoles},
    {11, "RDB$REF_CONSTRAINTS", "RDB$UPDATE_RULE", &TIBDBExtract::fRdbUpdateRule},
    {12, "RDB$REF_CONSTRAINTS", "RDB$DELETE_RULE", &TIBDBExtract::fRdbDeleteRule},
    {14, "RDB$PROCEDURE_PARAMETERS", "RDB$PARAMETER_MECHANISM", &TIBDBExtract::fRdbProcParamParameterMechanism},
    {15, "RDB$PROCEDURE_PARAMETERS", "RDB$DEFAULT_SOURCE", &TIBDBExtract::fRdbProcParamDefaultSource},
    {16, "RDB$PROCEDURE_PARAMETERS", "RDB$COLLATION_ID", &TIBDBExtract::fRdbProcParamCollationID},
    {13, "RDB$FUNCTION_ARGUMENTS", "RDB$FIELD_PRECISION", &TIBDBExtract::fRdbUdfPrecision},
    {17, "RDB$RELATION_FIELDS", "RDB$GENERATOR_NAME", &TIBDBExtract::fRdbRelFldGeneratorName},
    {18, "RDB$RELATION_FIELDS", "RDB$IDENTITY_TYPE", &TIBDBExtract::fRdbRelFldIdentityType},
    {19, "RDB$PROCEDURE_PARAMETERS", "RDB$RELATION_NAME", &TIBDBExtract::fRdbParamTableColumn},
    {20, "RDB$GENERATORS", "RDB$GENERATOR_INCREMENT", &TIBDBExtract::fRdbGeneratorIncrement},
    {21, "RDB$PROCEDURE_PARAMETERS", "RDB$NULL_FLAG", &TIBDBExtract::fRdbProcParamNullFlag},
    {22, "RDB$FUNCTIONS", "RDB$FUNCTION_SOURCE", &TIBDBExtract::fRdbFunctionSource},
    {23, "RDB$FUNCTION_ARGUMENTS", "RDB$ARGUMENT_NAME", &TIBDBExtract::fRdbFuncArgName},
    {24, "RDB$FUNCTION_ARGUMENTS", "RDB$DESCRIPTION", &TIBDBExtract::fRdbFuncArgDesc},
    {25, "RDB$PACKAGES", "", &TIBDBExtract::fRdbPackages},
    {26, "RDB$PROCEDURES", "RDB$PACKAGE_NAME", &TIBDBExtract::fRdbProcPackageName},
    {27, "RDB$COLLATIONS", "RDB$BASE_COLLATION_NAME", &TIBDBExtract::fRdbBaseCollationName},
    {28, "RDB$FUNCTIONS", "RDB$OWNER_NAME", &TIBDBExtract::fRdbFuncOwnerName},
    {29, "RDB$PROCEDURES", "RDB$ENGINE_NAME", &TIBDBExtract::fRdbEngineName},
    {30, "RDB$GENERATORS", "RDB$INITIAL_VALUE", &TIBDBExtract::fRdbGeneratorInitialValue},
};

}  // namespace

std::string TIBDBExtract::CapabilityProbeSQL() {
    std::string sql =
        "select cast(1 as integer) Typ, cast(d.rdb$character_set_name as varchar(64)) Val1, "
        "cast(c.rdb$default_collate_name as varchar(64)) Val2 from rdb$database d left join rdb$character_sets c "
        "on (d.rdb$character_set_name = c.rdb$character_set_name)";
    for (const TProbeItem& p : kProbe) {
        const std::string code = std::to_string(p.Code);
        if (*p.Field)
            sql += " union select cast(" + code + " as integer), cast(rdb$relation_name as varchar(64)), "
                   "cast(rdb$field_name as varchar(64)) from rdb$relation_fields where (rdb$relation_name = '" +
                   p.Relation + "') and (rdb$field_name = '" + p.Field + "')";
        else
            sql += " union select cast(" + code + " as integer), cast(rdb$relation_name as varchar(64)), "
                   "cast(' ' as varchar(64)) from rdb$relations where (rdb$relation_name = '" + p.Relation + "')";
    }
    return sql;
}

void TIBDBExtract::Probe() {
    for (const TProbeItem& p : kProbe) this->*p.Flag = false;
    for (const TRow& r : Select(CapabilityProbeSQL())) {
        const std::int64_t code = Int(r, "TYP");
        if (code == 1) {
            TIBServerOptions& ib = fDBStructure->GetObjs()->fIBServerOptions;
            if (ib.GetDBCharSet().empty()) ib.SetDBCharSet(Trim(Str(r, "VAL1")));
        }
        for (const TProbeItem& p : kProbe)
            if (p.Code == code) this->*p.Flag = true;
    }
}

std::string TIBDBExtract::Optional(bool aHave, const std::string& aExpr, const char* aType, const std::string& aAlias) {
    return aHave ? aExpr : std::string("cast(null as ") + aType + ") " + aAlias;
}

std::string TIBDBExtract::CharSetName(const TRow& r) const {
    const auto it = fCharSets.find(Int(r, "RDB$CHARACTER_SET_ID"));
    return it == fCharSets.end() ? std::string() : it->second.first;
}

std::string TIBDBExtract::DefaultCollation(const TRow& r) const {
    const auto it = fCharSets.find(Int(r, "RDB$CHARACTER_SET_ID"));
    return it == fCharSets.end() ? std::string() : it->second.second;
}

std::string TIBDBExtract::CollationName(const TRow& r) const {
    if (IsNull(r, "COLL_ID")) return std::string();
    const auto it = fCollations.find({Int(r, "RDB$CHARACTER_SET_ID"), Int(r, "COLL_ID")});
    return it == fCollations.end() ? std::string() : it->second;
}

void TIBDBExtract::DecodeType(TFldData* f, const TRow& r) {
    const auto type = static_cast<std::int32_t>(Int(r, "RDB$FIELD_TYPE"));
    const auto sub = static_cast<std::int32_t>(Int(r, "RDB$FIELD_SUB_TYPE"));
    const auto scale = static_cast<std::int32_t>(Int(r, "RDB$FIELD_SCALE"));
    const auto precision = static_cast<std::int32_t>(Int(r, "RDB$FIELD_PRECISION"));
    f->FldType = type;
    // CHAR and VARCHAR with sub-type 1 are OCTETS text to a Firebird 3 script.
    f->FieldType = type == 14 ? iftChar : type == 37 ? iftVarchar : f->FldTypeFromIbType(type, sub);
    const bool exact = type == 7 || type == 8 || type == 16 || (type == 27 && scale < 0);
    if (exact && (sub == 1 || sub == 2 || scale < 0)) {
        f->NumericFieldType = f->FieldType;
        f->FieldType = sub == 2 ? iftDecimal : iftNumeric;
        f->Precision = precision ? precision : type == 7 ? 4 : type == 8 ? 9 : type == 16 ? 18 : 15;
        f->Scale = -scale;
    }
    if (f->FieldType == iftChar || f->FieldType == iftVarchar || f->FieldType == iftCstring) {
        const auto chars = static_cast<std::int32_t>(Int(r, "RDB$CHARACTER_LENGTH"));
        f->FieldLength = f->CharLength = chars ? chars : static_cast<std::int32_t>(Int(r, "RDB$FIELD_LENGTH"));
    }
    if (f->FieldType == iftBlob) {
        f->EditRare().BlobSubType = sub;
        f->EditRare().BlobSegSize = static_cast<std::int32_t>(Int(r, "RDB$SEGMENT_LENGTH"));
    }
    if (!IsNull(r, "RDB$CHARACTER_SET_ID") && f->IsCharType()) {
        const std::string cs = CharSetName(r);
        if (!SameText(cs, fDBStructure->GetObjs()->fIBServerOptions.GetDBCharSet())) f->EditRare().CharSet = cs;
        // The collation is written only when it is not the character set's default.
        const std::string coll = CollationName(r);
        if (!coll.empty() && !SameText(coll, DefaultCollation(r))) f->EditRare().Collation = coll;
    }
}

// The RDB$FIELDS columns a type needs, with the character set. The collation (COLL_ID) is
// that of aCollation (the column's own) or else the field's; the names of both are looked up
// in the extractor's tables of character sets and collations.
std::string TIBDBExtract::FieldColumns(const std::string& aCollation) const {
    return "f.rdb$field_type, f.rdb$field_sub_type, f.rdb$field_scale, " +
           Optional(fRdbFldPrecision, "f.rdb$field_precision", "smallint", "rdb$field_precision") + ", "
           "f.rdb$character_length, f.rdb$field_length, f.rdb$segment_length, f.rdb$character_set_id, " +
           Text("f.rdb$computed_source", "rdb$computed_source", 200) + ", f.rdb$dimensions, " + aCollation + " coll_id ";
}

void TIBDBExtract::ExtractDomains() {
    DoLogNextLine("Extracting domains...");
    // A domain's own default, NOT NULL and check.
    for (const TRow& r : Select("select f.rdb$field_name, " + Text("f.rdb$description", "rdb$description", 100) + ", " +
                                Text("f.rdb$default_source", "f_default_source") + ", " +
                                Text("f.rdb$validation_source", "rdb$validation_source") +
                                ", f.rdb$null_flag f_null_flag, " + FieldColumns("f.rdb$collation_id") +
                                "from rdb$fields f where f.rdb$field_name not starting with 'RDB$' "
                                "and (f.rdb$system_flag = 0 or f.rdb$system_flag is null) "
                                "order by f.rdb$field_name")) {
        const std::string name = Name(r, "RDB$FIELD_NAME");
        auto d = std::make_unique<TDmnData>(fDBStructure->GetObjs());
        d->SetObjName(name);
        TFldData* f = d->fData.get();
        DecodeType(f, r);
        if (Int(r, "RDB$DIMENSIONS") > 0)
            if (const auto it = fDimensions.find(name); it != fDimensions.end()) f->EditRare().ArrayBounds = it->second;
        f->SetDefValue(CleanDefault(Str(r, "F_DEFAULT_SOURCE")));
        f->Nullable = Int(r, "F_NULL_FLAG") == 0;
        const std::string check = Trim(Str(r, "RDB$VALIDATION_SOURCE"));
        if (!check.empty()) f->EditRare().CheckDef = " " + CheckText(check);
        d->SetDescription(Str(r, "RDB$DESCRIPTION"));
        d->CheckSysName();
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboDomain)) AddObj(d.release());
        else fRefusedDomains.insert(name);
    }
}

void TIBDBExtract::ExtractGenerators() {
    DoLogNextLine("Extracting generators...");
    // Identity generators (system flag 6) belong to their columns.
    for (const TRow& r : Select("select rdb$generator_name, " +
                                Optional(fRdbGeneratorInitialValue, "rdb$initial_value", "bigint", "rdb$initial_value") + ", " +
                                Optional(fRdbGeneratorIncrement, "rdb$generator_increment", "integer", "rdb$generator_increment") +
                                ", " + (fRdbGnrDescription ? Text("rdb$description", "rdb$description", 100)
                                                           : std::string("cast(null as varchar(1)) rdb$description")) +
                                " from rdb$generators "
                                "where rdb$system_flag = 0 or rdb$system_flag is null order by rdb$generator_name")) {
        const std::string name = Name(r, "RDB$GENERATOR_NAME");
        auto g = std::make_unique<TGnrData>(fDBStructure->GetObjs());
        g->SetObjName(name);
        const std::string start = Str(r, "RDB$INITIAL_VALUE"), step = Str(r, "RDB$GENERATOR_INCREMENT");
        g->StartWith = start == "0" ? std::string() : start;
        g->IncrementBy = step == "1" ? std::string() : step;
        g->SetDescription(Str(r, "RDB$DESCRIPTION"));
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboGenerator)) AddObj(g.release());
    }
}

void TIBDBExtract::ExtractExceptions() {
    DoLogNextLine("Extracting exceptions...");
    for (const TRow& r : Select("select rdb$exception_name, rdb$message, " +
        Text("rdb$description", "rdb$description", 100) + " from rdb$exceptions "
                                "where rdb$system_flag = 0 or rdb$system_flag is null order by rdb$exception_name")) {
        const std::string name = Name(r, "RDB$EXCEPTION_NAME");
        auto e = std::make_unique<TExcData>(fDBStructure->GetObjs());
        e->SetObjName(name);
        e->Msg = Str(r, "RDB$MESSAGE");
        e->SetDescription(Str(r, "RDB$DESCRIPTION"));
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboException)) AddObj(e.release());
    }
}

void TIBDBExtract::ExtractTables() {
    DoLogNextLine("Extracting tables...");
    TCustomObjs* objs = fDBStructure->GetObjs();
    const std::string identity = HasIdentity() ? "r.rdb$identity_type, trim(r.rdb$generator_name) rdb$generator_name, " : "";
    const std::string columns =
        "select trim(r.rdb$field_name) rdb$field_name, r.rdb$field_position, " +
            Text("r.rdb$default_source", "rdb$default_source", 200) + ", r.rdb$null_flag, "
        "" + Text("r.rdb$description", "rdb$description", 100) +
            ", trim(r.rdb$field_source) rdb$field_source, r.rdb$collation_id, "
        "trim(r.rdb$relation_name) rdb$relation_name, " + identity +
        // The column's own collation, else that of its field (its domain's).
        FieldColumns("coalesce(r.rdb$collation_id, f.rdb$collation_id)") +
        "from rdb$relation_fields r join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
        "join rdb$relations t on t.rdb$relation_name = r.rdb$relation_name "
        "where (t.rdb$system_flag = 0 or t.rdb$system_flag is null) and t.rdb$view_blr is null "
        "order by r.rdb$relation_name, r.rdb$field_position";
    // The tables first, then the columns of all of them in one query.
    std::vector<std::unique_ptr<TTblData>> tables;
    std::map<std::string, TTblData*> byName;
    for (const TRow& t : Select("select rdb$relation_name, " + Text("rdb$description", "rdb$description", 100) +
        ", rdb$external_file, " + std::string(fRdbRelationType ? "rdb$relation_type " : "cast(null as smallint) rdb$relation_type ") +
                                "from rdb$relations where (rdb$system_flag = 0 or rdb$system_flag is null) "
                                "and rdb$view_blr is null order by rdb$relation_name")) {
        const std::string name = Name(t, "RDB$RELATION_NAME");
        auto tbl = std::make_unique<TTblData>(objs);
        tbl->SetObjName(name);
        tbl->SetDescription(Str(t, "RDB$DESCRIPTION"));
        tbl->ExternalFile = Str(t, "RDB$EXTERNAL_FILE");
        const std::int64_t type = Int(t, "RDB$RELATION_TYPE");
        if (type == 4 || type == 5) {
            tbl->GlobalTemporary = true;
            tbl->TblOnCommit = type == 5 ? tocDelete : tocPreserve;
        }
        byName[name] = tbl.get();
        tables.push_back(std::move(tbl));
    }
    TTblData* tbl = nullptr;
    std::string name;
    std::int32_t position = 0;
    ForEach(columns, {}, [&](const TRow& r) {
            if (const std::string owner = Name(r, "RDB$RELATION_NAME"); !tbl || owner != name) {
                const auto it = byName.find(owner);
                if (it == byName.end()) return;
                tbl = it->second;
                name = owner;
                position = 0;
            }
            TFldData* f = tbl->AddFld(Name(r, "RDB$FIELD_NAME"));
            if (!f) return;
            f->OwnObj = tbl;
            f->OwnName = name;
            f->Position = position++;
            f->DBPosition = static_cast<std::int32_t>(Int(r, "RDB$FIELD_POSITION"));
            f->SetDescription(Str(r, "RDB$DESCRIPTION"));
            const std::string source = Name(r, "RDB$FIELD_SOURCE");
            const std::string computed = Source(r, "RDB$COMPUTED_SOURCE");
            if (!StartsText("RDB$", source)) {
                // A column typed by a domain keeps the domain's name; its own default,
                // NOT NULL and collation follow.
                f->FieldType = iftDomain;
                f->EditRare().DomainName = source;
                TDmnData* d = objs->Dmn.Find(source);
                // A domain left out of the run (by kind or by name) leaves the column its
                // name: only a domain missing from a run that read it is an error.
                if (!d) {
                    const std::string msg = "Domain: " + source + " not found for: " + name + "(" + f->fObjName + ").";
                    if (GetExtractObjects().Contains(coDomain) && !fRefusedDomains.count(source)) DoErrorMessage(msg);
                    else DoLogNextLine(msg);
                }
                const std::string coll = CollationName(r);
                if (!IsNull(r, "RDB$COLLATION_ID") && !coll.empty() && d && d->fData &&
                    !SameText(coll, d->fData->Rare().Collation.empty() ? DefaultCollation(r)
                                                                       : std::string(d->fData->Rare().Collation)))
                    f->EditRare().Collation = coll;
            } else {
                DecodeType(f, r);
                // The column's own collation replaces the field's.
                if (!IsNull(r, "RDB$COLLATION_ID") && f->IsCharType()) {
                    const std::string coll = CollationName(r);
                    if (!coll.empty() && !SameText(coll, DefaultCollation(r))) f->EditRare().Collation = coll;
                    else f->EditRare().Collation.clear();
                }
                if (Int(r, "RDB$DIMENSIONS") > 0)
                    if (const auto it = fDimensions.find(source); it != fDimensions.end())
                        f->EditRare().ArrayBounds = it->second;
            }
            if (!computed.empty()) {
                f->EditRare().ComputedTyped = true;
                f->SetBody(computed);
                f->EditRare().CharSet.clear();
                f->EditRare().Collation.clear();
            }
            std::string def = CleanDefault(Str(r, "RDB$DEFAULT_SOURCE"));
            if (f->FieldType == iftDomain)
                if (TDmnData* d = objs->Dmn.Find(source))
                    if (d->fData->GetDefValue() == def) def.clear();
            f->SetDefValue(def);
            f->Nullable = Int(r, "RDB$NULL_FLAG") == 0;
            if (HasIdentity() && !IsNull(r, "RDB$IDENTITY_TYPE") && !IsNull(r, "RDB$GENERATOR_NAME")) {
                f->Identity = true;
                const auto start = fIdentityStart.find(Name(r, "RDB$GENERATOR_NAME"));
                f->EditRare().IdentitySeed = static_cast<std::int32_t>(start == fIdentityStart.end() ? 0 : start->second);
            }
    });
    for (auto& t : tables) {
        if (fShowFullLog) DoLogNextLine("---" + t->fObjName);
        if (AcceptObj(t->fObjName, dboTable) && Accept_Obj(t.get())) AddObj(t.release());
    }
}

void TIBDBExtract::ExtractConstraints() {
    DoLogNextLine("Extracting constraints...");
    TCustomObjs* objs = fDBStructure->GetObjs();
    const auto segments = [this](const std::string& aIndex) { return Segments(aIndex); };
    // The source of every check constraint (its first trigger), by constraint name.
    std::map<std::string, std::string> checks;
    ForEach("select cc.rdb$constraint_name, " +
        Text("t.rdb$trigger_source", "rdb$trigger_source", 2000) + " from rdb$check_constraints cc "
            "join rdb$triggers t on t.rdb$trigger_name = cc.rdb$trigger_name "
            "order by cc.rdb$constraint_name, t.rdb$trigger_type",
            {}, [&checks](const TRow& b) { checks.emplace(Name(b, "RDB$CONSTRAINT_NAME"), Source(b, "RDB$TRIGGER_SOURCE")); });
    for (const TRow& r : Select(
             "select c.rdb$constraint_name, c.rdb$constraint_type, c.rdb$relation_name, c.rdb$index_name, "
             "i.rdb$index_type, i.rdb$foreign_key, " +
             Optional(fRdbUpdateRule, "rc.rdb$update_rule", "char(11)", "rdb$update_rule") + ", " +
             Optional(fRdbDeleteRule, "rc.rdb$delete_rule", "char(11)", "rdb$delete_rule") + ", "
             "(select ri.rdb$relation_name from rdb$indices ri where ri.rdb$index_name = i.rdb$foreign_key) ref_table "
             "from rdb$relation_constraints c left join rdb$indices i on i.rdb$index_name = c.rdb$index_name "
             "left join rdb$ref_constraints rc on rc.rdb$constraint_name = c.rdb$constraint_name "
             "join rdb$relations rl on rl.rdb$relation_name = c.rdb$relation_name "
             "where c.rdb$constraint_type in ('PRIMARY KEY', 'UNIQUE', 'FOREIGN KEY', 'CHECK') "
             "and (rl.rdb$system_flag = 0 or rl.rdb$system_flag is null) "
             "order by c.rdb$relation_name, c.rdb$constraint_name")) {
        const std::string name = Name(r, "RDB$CONSTRAINT_NAME");
        const std::string type = Name(r, "RDB$CONSTRAINT_TYPE");
        const std::string table = Name(r, "RDB$RELATION_NAME");
        auto c = std::make_unique<TCtrData>(objs);
        // Names the server made up (INTEG_n) are not written by a script: the constraint stays
        // unnamed and keeps the name only to be dropped by it; it is accepted by its table.
        const bool sysName = StartsText("INTEG_", name);
        if (sysName) c->EditExtra().SysName = name;
        else c->SetObjName(name);
        c->SetTblName(table);
        TDbObject kind = dboCheck;
        if (type == "CHECK") {
            c->SetCtType(ctCheck);
            if (const auto it = checks.find(name); it != checks.end()) c->SetBody(CheckText(it->second));
        } else {
            const std::string index = Name(r, "RDB$INDEX_NAME");
            for (const std::string& n : segments(index)) c->AddFld(n);
            kind = type == "PRIMARY KEY" ? dboPKey : type == "UNIQUE" ? dboUnique : dboFKey;
            c->SetCtType(type == "PRIMARY KEY" ? ctPKey : type == "UNIQUE" ? ctUnique : ctFKey);
            if (!StartsText("RDB$", index) && index != name) c->UsingIndex = index;
            c->UsingDescIndex = Int(r, "RDB$INDEX_TYPE") == 1;
            if (kind == dboFKey) {
                c->SetRefTblName(Name(r, "REF_TABLE"));
                for (const std::string& n : segments(Name(r, "RDB$FOREIGN_KEY"))) c->AddRefFld(n);
                const auto rule = [](const std::string& aRule) {
                    return aRule == "CASCADE" ? udaCascade : aRule == "SET NULL" ? udaNull
                           : aRule == "SET DEFAULT" ? udaDefault : udaNoAction;
                };
                c->OnUpdate = rule(Name(r, "RDB$UPDATE_RULE"));
                c->OnDelete = rule(Name(r, "RDB$DELETE_RULE"));
            }
        }
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (sysName ? AcceptObj(table, dboTable) : AcceptObj(name, kind)) AddObj(c.release());
    }
}

void TIBDBExtract::ExtractIndices() {
    DoLogNextLine("Extracting indices...");
    for (const TRow& r : Select(
             "select i.rdb$index_name, i.rdb$relation_name, i.rdb$unique_flag, i.rdb$index_type, "
             "i.rdb$index_inactive, " + Text("i.rdb$expression_source", "rdb$expression_source", 200) + ", " +
                 Text("i.rdb$description", "rdb$description", 100) + " "
             "from rdb$indices i join rdb$relations rl on rl.rdb$relation_name = i.rdb$relation_name "
             "where (i.rdb$system_flag = 0 or i.rdb$system_flag is null) "
             "and (rl.rdb$system_flag = 0 or rl.rdb$system_flag is null) "
             "and not exists (select 1 from rdb$relation_constraints c where c.rdb$index_name = i.rdb$index_name) "
             "order by i.rdb$relation_name, i.rdb$index_name")) {
        const std::string name = Name(r, "RDB$INDEX_NAME");
        auto x = std::make_unique<TIdxData>(fDBStructure->GetObjs());
        x->SetObjName(name);
        x->TblName = Name(r, "RDB$RELATION_NAME");
        x->Unique = Int(r, "RDB$UNIQUE_FLAG") == 1;
        x->Desc = Int(r, "RDB$INDEX_TYPE") == 1;
        x->Active = Int(r, "RDB$INDEX_INACTIVE") == 0;
        x->SetDescription(Str(r, "RDB$DESCRIPTION"));
        const std::string expr = Source(r, "RDB$EXPRESSION_SOURCE");
        if (!expr.empty()) {
            x->SetBody(expr);
        } else {
            for (const std::string& n : Segments(name)) x->AddFld(n);
        }
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboIndex)) AddObj(x.release());
    }
}

void TIBDBExtract::ExtractViews() {
    DoLogNextLine("Extracting views...");
    std::vector<std::unique_ptr<TViwData>> views;
    std::map<std::string, TViwData*> byName;
    for (const TRow& r : Select("select rdb$relation_name, " + Text("rdb$view_source", "rdb$view_source", 2000) + ", " +
        Text("rdb$description", "rdb$description", 100) + " from rdb$relations "
                                "where (rdb$system_flag = 0 or rdb$system_flag is null) "
                                "and rdb$view_blr is not null order by rdb$relation_name")) {
        const std::string name = Name(r, "RDB$RELATION_NAME");
        auto v = std::make_unique<TViwData>(fDBStructure->GetObjs());
        v->SetObjName(name);
        v->SetDescription(Str(r, "RDB$DESCRIPTION"));
        v->SetBody(Source(r, "RDB$VIEW_SOURCE"));
        byName[name] = v.get();
        views.push_back(std::move(v));
    }
    // The columns of every view in one query.
    ForEach("select c.rdb$relation_name, c.rdb$field_name, " +
        Text("c.rdb$description", "rdb$description", 100) + " from rdb$relation_fields c "
            "join rdb$relations r on r.rdb$relation_name = c.rdb$relation_name "
            "where (r.rdb$system_flag = 0 or r.rdb$system_flag is null) and r.rdb$view_blr is not null "
            "order by c.rdb$relation_name, c.rdb$field_position",
            {}, [&byName](const TRow& c) {
                const auto it = byName.find(Name(c, "RDB$RELATION_NAME"));
                if (it == byName.end()) return;
                if (TFldData* f = it->second->AddFld(Name(c, "RDB$FIELD_NAME"))) {
                    f->OwnObj = it->second;
                    f->OwnName = it->second->fObjName;
                    f->SetDescription(Str(c, "RDB$DESCRIPTION"));
                }
            });
    for (auto& v : views) {
        if (fShowFullLog) DoLogNextLine("---" + v->fObjName);
        if (AcceptObj(v->fObjName, dboView)) AddObj(v.release());
    }
}

// A parameter of a routine from its catalog row (RDB$PROCEDURE_PARAMETERS or
// RDB$FUNCTION_ARGUMENTS joined with RDB$FIELDS), as the script reader keeps it.
void TIBDBExtract::DecodeParam(TFldData* f, const TRow& r) {
    f->fObjType = dboParam;
    f->SetDescription(Str(r, "RDB$DESCRIPTION"));
    const std::string source = Name(r, "RDB$FIELD_SOURCE");
    const bool typeOf = Int(r, "RDB$ARGUMENT_MECHANISM") == 1;
    const std::string relation = Name(r, "RDB$RELATION_NAME");
    if (typeOf && !relation.empty()) {
        f->FieldType = iftDomain;
        f->EditRare().TypeOf = true;
        f->EditRare().TypeOfTbl = relation;
        f->EditRare().TypeOfFld = Name(r, "RDB$FIELD_NAME");
    } else if (!source.empty() && !StartsText("RDB$", source)) {
        f->FieldType = iftDomain;
        f->EditRare().DomainName = source;
        f->EditRare().TypeOf = typeOf;
    } else {
        DecodeType(f, r);
        if (!IsNull(r, "RDB$COLLATION_ID") && f->IsCharType()) {
            const std::string coll = CollationName(r);
            if (!coll.empty() && !SameText(coll, DefaultCollation(r))) f->EditRare().Collation = coll;
            else f->EditRare().Collation.clear();
        }
    }
    f->SetDefValue(CleanDefault(Str(r, "RDB$DEFAULT_SOURCE")));
    f->Nullable = Int(r, "RDB$NULL_FLAG") == 0;
}

// A routine of an external engine (EXTERNAL NAME ... ENGINE, such as a UDR) has neither PSQL
// source nor a legacy module: the set has no form for it and the script reader skips its
// statement, so it is logged and left out on both sides instead of read as an empty routine.
bool TIBDBExtract::SkipExternalEngine(const TRow& r, const std::string& aKind, const std::string& aName) {
    const std::string engine = Name(r, "RDB$ENGINE_NAME");
    if (engine.empty()) return false;
    DoLogNextLine(aKind + " " + aName + " of the external engine " + engine + " is not compared.");
    return true;
}

void TIBDBExtract::ExtractRoutines() {
    DoLogNextLine("Extracting procedures...");
    TCustomObjs* objs = fDBStructure->GetObjs();
    // Packaged routines belong to their packages. The routines are read first, then the
    // parameters of all of them in one query.
    const std::string notPackaged = HasPackages() ? " and p.rdb$package_name is null " : " ";
    const std::string packagedArg = HasPackages() ? " and a.rdb$package_name is null " : " ";
    struct TRoutine {
        std::unique_ptr<TPrcData> Prc;
        std::int64_t Return = 0;  // functions: the position of the returned value
        bool Deterministic = false;
    };
    std::vector<TRoutine> routines;
    std::map<std::string, TRoutine*> byName;
    const auto add = [&](const std::string& aName, const TRow& r, bool aFunc) {
        auto aPrc = std::make_unique<TPrcData>(objs);
        aPrc->SetObjName(aName);
        aPrc->Func = aFunc;
        aPrc->SetDescription(Str(r, "RDB$DESCRIPTION"));
        const std::string source = Source(r, aFunc ? "RDB$FUNCTION_SOURCE" : "RDB$PROCEDURE_SOURCE");
        if (!source.empty()) aPrc->SetBody(source);
        routines.push_back({std::move(aPrc), Int(r, "RDB$RETURN_ARGUMENT"), Int(r, "RDB$DETERMINISTIC_FLAG") == 1});
    };
    // Parameters of the routines read, by routine name.
    const auto params = [&](const std::string& aSQL, bool aFunc) {
        byName.clear();
        for (TRoutine& r : routines)
            if (r.Prc->Func == aFunc) byName[r.Prc->fObjName] = &r;
        ForEach(aSQL, {}, [&](const TRow& a) {
            const auto it = byName.find(Name(a, "OWNER_NAME"));
            if (it == byName.end()) return;
            TPrcData* p = it->second->Prc.get();
            const bool out = aFunc ? Int(a, "RDB$ARGUMENT_POSITION") == it->second->Return : Int(a, "RDB$PARAMETER_TYPE") == 1;
            const std::string pname = aFunc && out ? std::string() : Name(a, "RDB$PARAMETER_NAME");
            TFldData* f = out ? p->AddReturn(pname) : p->AddParam(pname);
            if (!f) return;
            f->OwnObj = p;
            f->OwnName = p->fObjName;
            f->InOut = out ? ioOut : ioIn;
            DecodeParam(f, a);
            if (aFunc && out && it->second->Deterministic) f->EditRare().FncDeterministic = true;
        });
    };
    const std::string engine = fRdbEngineName ? "p.rdb$engine_name" : "cast(null as char(31)) rdb$engine_name";
    for (const TRow& r : Select("select p.rdb$procedure_name, " +
        Text("p.rdb$procedure_source", "rdb$procedure_source", 2000) + ", " + Text("p.rdb$description", "rdb$description", 100) +
        ", " + engine +
                                " from rdb$procedures p where (p.rdb$system_flag = 0 or p.rdb$system_flag is null)" +
                                notPackaged + "order by p.rdb$procedure_name")) {
        const std::string name = Name(r, "RDB$PROCEDURE_NAME");
        if (!SkipExternalEngine(r, "Procedure", name)) add(name, r, false);
    }
    // The columns both parameter tables share, with their field's type.
    const std::string paramColumns = "a.rdb$field_source, " +
                                     std::string(fRdbParamTableColumn ? "a.rdb$relation_name, a.rdb$field_name, "
                                                                 : "cast(null as char(31)) rdb$relation_name, "
                                                                   "cast(null as char(31)) rdb$field_name, ") +
                                     (fRdbProcParamDefaultSource ? Text("a.rdb$default_source", "rdb$default_source", 200)
                                                                 : std::string("cast(null as varchar(1)) rdb$default_source")) +
                                     ", " + Optional(fRdbProcParamNullFlag, "a.rdb$null_flag", "smallint", "rdb$null_flag") +
                                     ", " + Optional(fRdbProcParamCollationID, "a.rdb$collation_id", "smallint", "rdb$collation_id") +
                                     ", " +
                                         Text("a.rdb$description", "rdb$description", 100) +
                                     ", " + FieldColumns(fRdbProcParamCollationID ? "coalesce(a.rdb$collation_id, f.rdb$collation_id)"
                                                                                  : "f.rdb$collation_id");
    params("select a.rdb$procedure_name owner_name, a.rdb$parameter_name, a.rdb$parameter_type, " +
           std::string(fRdbProcParamParameterMechanism ? "a.rdb$parameter_mechanism" : "cast(null as smallint)") +
           " rdb$argument_mechanism, " + paramColumns +
           "from rdb$procedure_parameters a join rdb$fields f on f.rdb$field_name = a.rdb$field_source "
           "where 1 = 1" + packagedArg + "order by a.rdb$procedure_name, a.rdb$parameter_type, a.rdb$parameter_number",
           false);
    // Stored (PSQL) functions: Firebird 3 and later.
    if (fRdbFunctionSource) {
        DoLogNextLine("Extracting functions...");
        const std::string notPackagedFn = HasPackages() ? " and f.rdb$package_name is null " : " ";
        const std::string fnEngine = fRdbEngineName ? "f.rdb$engine_name" : "cast(null as char(31)) rdb$engine_name";
        for (const TRow& r : Select("select f.rdb$function_name, " + Text("f.rdb$function_source", "rdb$function_source", 2000) +
            ", " + Text("f.rdb$description", "rdb$description", 100) + ", "
                                    "f.rdb$return_argument, f.rdb$deterministic_flag, " + fnEngine + " from rdb$functions f "
                                    "where (f.rdb$system_flag = 0 or f.rdb$system_flag is null) "
                                    "and (f.rdb$module_name is null" + std::string(fRdbEngineName ? " or f.rdb$engine_name is not null" : "") + ")" +
                                    notPackagedFn + "order by f.rdb$function_name")) {
            const std::string name = Name(r, "RDB$FUNCTION_NAME");
            if (!SkipExternalEngine(r, "Function", name)) add(name, r, true);
        }
        params("select a.rdb$function_name owner_name, a.rdb$argument_name rdb$parameter_name, a.rdb$argument_position, "
               "a.rdb$argument_mechanism, " + paramColumns +
               "from rdb$function_arguments a join rdb$fields f on f.rdb$field_name = a.rdb$field_source "
               "where 1 = 1" + packagedArg + "order by a.rdb$function_name, a.rdb$argument_position",
               true);
    }
    for (TRoutine& r : routines) {
        const std::string name = r.Prc->fObjName;
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboProcedure)) AddObj(r.Prc.release());
    }
}

namespace {

// The events of a DDL trigger by bit (bit 0 is BEFORE/AFTER; bits 13 to 15 hold the
// trigger kind and name no event).
const char* const kDdlEvents[] = {
    nullptr, "CREATE TABLE", "ALTER TABLE", "DROP TABLE", "CREATE PROCEDURE", "ALTER PROCEDURE",
    "DROP PROCEDURE", "CREATE FUNCTION", "ALTER FUNCTION", "DROP FUNCTION", "CREATE TRIGGER",
    "ALTER TRIGGER", "DROP TRIGGER", nullptr, nullptr, nullptr, "CREATE EXCEPTION", "ALTER EXCEPTION",
    "DROP EXCEPTION", "CREATE VIEW", "ALTER VIEW", "DROP VIEW", "CREATE DOMAIN", "ALTER DOMAIN",
    "DROP DOMAIN", "CREATE ROLE", "ALTER ROLE", "DROP ROLE", "CREATE INDEX", "ALTER INDEX",
    "DROP INDEX", "CREATE SEQUENCE", "ALTER SEQUENCE", "DROP SEQUENCE", "CREATE USER", "ALTER USER",
    "DROP USER", "CREATE COLLATION", "DROP COLLATION", "ALTER CHARACTER SET", "CREATE PACKAGE",
    "ALTER PACKAGE", "DROP PACKAGE", "CREATE PACKAGE BODY", "DROP PACKAGE BODY", "CREATE MAPPING",
    "ALTER MAPPING", "DROP MAPPING"};
constexpr std::int64_t kTriggerKindMask = 3LL << 13;
constexpr std::int64_t kTriggerDb = 1LL << 13;
constexpr std::int64_t kTriggerDdl = 2LL << 13;

}  // namespace

// The event text of a DDL trigger type ("ANY DDL STATEMENT" or "CREATE TABLE OR ..."); empty
// when a bit names no known event.
std::string TIBDBExtract::DdlEventText(std::int64_t aType) {
    const std::int64_t events = aType & ~kTriggerKindMask & ~1LL;
    std::int64_t all = 0;
    for (std::size_t i = 1; i < std::size(kDdlEvents); ++i)
        if (kDdlEvents[i]) all |= 1LL << i;
    if ((events & all) == all) return "ANY DDL STATEMENT";
    if (events == 0 || (events & ~all) != 0) return std::string();
    std::string text;
    for (std::size_t i = 1; i < std::size(kDdlEvents); ++i)
        if (kDdlEvents[i] && (events & (1LL << i))) text += (text.empty() ? "" : " OR ") + std::string(kDdlEvents[i]);
    return text;
}

void TIBDBExtract::ExtractTriggers() {
    DoLogNextLine("Extracting triggers...");
    TCustomObjs* objs = fDBStructure->GetObjs();
    for (const TRow& r : Select("select t.rdb$trigger_name, t.rdb$relation_name, t.rdb$trigger_sequence, "
                                "t.rdb$trigger_type, " + Text("t.rdb$trigger_source", "rdb$trigger_source", 2000) +
                                    ", t.rdb$trigger_inactive, " + Text("t.rdb$description", "rdb$description", 100) + " "
                                "from rdb$triggers t where (t.rdb$system_flag = 0 or t.rdb$system_flag is null) "
                                "and not exists (select 1 from rdb$check_constraints c "
                                "where c.rdb$trigger_name = t.rdb$trigger_name) order by t.rdb$trigger_name")) {
        const std::string name = Name(r, "RDB$TRIGGER_NAME");
        const std::int64_t type = Int(r, "RDB$TRIGGER_TYPE");
        auto t = std::make_unique<TTrgData>(objs);
        t->SetObjName(name);
        t->SetDescription(Str(r, "RDB$DESCRIPTION"));
        t->Active = Int(r, "RDB$TRIGGER_INACTIVE") == 0;
        t->Position = static_cast<std::int32_t>(Int(r, "RDB$TRIGGER_SEQUENCE"));
        const std::int64_t kind = type & kTriggerKindMask;
        if (kind == kTriggerDb) {
            // Database triggers: CONNECT, DISCONNECT, TRANSACTION START / COMMIT / ROLLBACK.
            static const char* const events[] = {"CONNECT", "DISCONNECT", "TRANSACTION START", "TRANSACTION COMMIT",
                                                 "TRANSACTION ROLLBACK"};
            const std::int64_t e = type & ~kTriggerKindMask;
            if (e < 0 || e >= 5) {
                DoErrorMessage("Trigger " + name + ": unknown database trigger type " + std::to_string(type));
                continue;
            }
            t->EventType = events[e];
            t->SetOwnName("DATABASE");
        } else if (kind == kTriggerDdl) {
            const std::string events = DdlEventText(type);
            if (events.empty()) {
                DoErrorMessage("Trigger " + name + ": unknown DDL trigger type " + std::to_string(type));
                continue;
            }
            t->BefAft = (type & 1) ? baAfter : baBefore;
            // The script reader keeps the timing word with the events.
            t->EventType = std::string((type & 1) ? "AFTER " : "BEFORE ") + events;
            t->SetOwnName("DATABASE");
        } else {
            // Table triggers: the type is the code the script reader computes from the events.
            const std::int64_t code = type + 1;
            TInsUpdDelSet set;
            for (int i = 0; i < 3; ++i) {
                const std::int64_t e = (code >> (2 * i + 1)) & 3;
                if (e) set.Include(e == 1 ? iudInsert : e == 2 ? iudUpdate : iudDelete);
            }
            t->SetEvents((code & 1) ? baAfter : baBefore, set);
            t->Typ = static_cast<std::int32_t>(type);
            t->SetOwnName(Name(r, "RDB$RELATION_NAME"));
        }
        const std::string source = Str(r, "RDB$TRIGGER_SOURCE");
        if (!source.empty()) t->SetBody(Source(r, "RDB$TRIGGER_SOURCE"));
        if (fShowFullLog) DoLogNextLine("---" + name);
        // Linked only once accepted: a refused trigger is freed here, outside the set, and
        // must leave no link behind; the set itself unlinks one it refuses.
        if (!AcceptObj(name, dboTrigger)) continue;
        if (t->fOwnObj) objs->LinkDepend(t.get(), t->fOwnObj);
        AddObj(t.release());
    }
}

void TIBDBExtract::ExtractCollations() {
    DoLogNextLine("Extracting collations...");
    // Attribute bits: 1 pad space, 2 case insensitive, 4 accent insensitive.
    // Servers before Firebird 2.1 have no user collations: their columns are absent.
    for (const TRow& r : Select("select c.rdb$collation_name, c.rdb$collation_attributes, " +
                                Optional(fRdbBaseCollationName, "c.rdb$base_collation_name", "char(31)", "rdb$base_collation_name") +
                                ", " +
                                Optional(fRdbBaseCollationName, "c.rdb$specific_attributes", "varchar(1)", "rdb$specific_attributes") +
                                ", c.rdb$description, cs.rdb$character_set_name "
                                "from rdb$collations c join rdb$character_sets cs "
                                "on cs.rdb$character_set_id = c.rdb$character_set_id "
                                "where c.rdb$system_flag = 0 or c.rdb$system_flag is null order by c.rdb$collation_name")) {
        const std::string name = Name(r, "RDB$COLLATION_NAME");
        auto c = std::make_unique<TCltData>(fDBStructure->GetObjs());
        c->SetObjName(name);
        c->SetDescription(Str(r, "RDB$DESCRIPTION"));
        c->Charset = Name(r, "RDB$CHARACTER_SET_NAME");
        // The catalog keeps the base collation's name; a script names it as an external one.
        c->ExtCollation = Name(r, "RDB$BASE_COLLATION_NAME");
        const std::int64_t attributes = Int(r, "RDB$COLLATION_ATTRIBUTES");
        c->PadSpace = (attributes & 1) != 0;
        c->CaseSensitive = (attributes & 2) == 0;
        c->AccentSensitive = (attributes & 4) == 0;
        c->Attributes = Str(r, "RDB$SPECIFIC_ATTRIBUTES");
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboCollation)) AddObj(c.release());
    }
}

void TIBDBExtract::ExtractPackages() {
    DoLogNextLine("Extracting packages...");
    for (const TRow& r : Select("select rdb$package_name, rdb$package_header_source, rdb$package_body_source, "
                                "rdb$valid_body_flag, rdb$description from rdb$packages "
                                "where rdb$system_flag = 0 or rdb$system_flag is null order by rdb$package_name")) {
        const std::string name = Name(r, "RDB$PACKAGE_NAME");
        auto k = std::make_unique<TPkgData>(fDBStructure->GetObjs());
        k->SetObjName(name);
        k->SetDescription(Str(r, "RDB$DESCRIPTION"));
        k->HeaderBody = Source(r, "RDB$PACKAGE_HEADER_SOURCE");
        // A body the server marked invalid (its header was altered after it) is not used
        // and not extracted: the package has no body until one is written again.
        const std::string body = Int(r, "RDB$VALID_BODY_FLAG") == 1 ? Source(r, "RDB$PACKAGE_BODY_SOURCE") : "";
        k->ParseBody = !body.empty();
        k->SetBody(body);
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboPackage)) AddObj(k.release());
    }
}

void TIBDBExtract::ExtractUdfs() {
    DoLogNextLine("Extracting external functions...");
    const std::string notPackaged = HasPackages() ? " and f.rdb$package_name is null " : " ";
    for (const TRow& r : Select("select f.rdb$function_name, f.rdb$module_name, f.rdb$entrypoint, "
                                "f.rdb$return_argument, f.rdb$description from rdb$functions f "
                                "where (f.rdb$system_flag = 0 or f.rdb$system_flag is null) "
                                "and f.rdb$module_name is not null" + std::string(fRdbEngineName ? " and f.rdb$engine_name is null" : "") +
                                notPackaged + "order by f.rdb$function_name")) {
        const std::string name = Name(r, "RDB$FUNCTION_NAME");
        auto u = std::make_unique<TUdfData>(fDBStructure->GetObjs());
        u->SetObjName(name);
        u->SetDescription(Str(r, "RDB$DESCRIPTION"));
        u->EntryPoint = Name(r, "RDB$ENTRYPOINT");
        u->ModuleName = Name(r, "RDB$MODULE_NAME");
        const std::int64_t ret = Int(r, "RDB$RETURN_ARGUMENT");
        const std::string packaged = HasPackages() ? " and a.rdb$package_name is null " : " ";
        const auto args = Select("select a.rdb$argument_position, a.rdb$mechanism, a.rdb$field_type, "
                                 "a.rdb$field_sub_type, a.rdb$field_scale, " +
                                 Optional(fRdbUdfPrecision, "a.rdb$field_precision", "smallint", "rdb$field_precision") +
                                 ", a.rdb$field_length, "
                                 "a.rdb$character_length, a.rdb$character_set_id, cast(null as integer) rdb$segment_length "
                                 "from rdb$function_arguments a where a.rdb$function_name = ?" + packaged +
                                 "order by a.rdb$argument_position",
                                 {name});
        for (const TRow& a : args) {
            const std::int64_t position = Int(a, "RDB$ARGUMENT_POSITION");
            const std::int64_t mechanism = Int(a, "RDB$MECHANISM");
            if (position == ret && ret != 0) continue;  // written as RETURNS PARAMETER n
            TFldData* f = position == ret ? u->RtnFld.get() : u->AddPrm();
            DecodeType(f, a);
            // Mechanisms: 0 by value, 1 by reference, 2 by descriptor; -1 is a returned
            // value the engine frees.
            if (mechanism == 0) f->EditRare().FncByValue = true;
            else if (mechanism == 2) f->EditRare().FncByDescriptor = true;
            if (position == ret && mechanism == -1) u->FreeIt = true;
        }
        if (ret != 0) u->RtnFld->EditRare().FncParameter = static_cast<std::int32_t>(ret);
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboFunction)) AddObj(u.release());
    }
}

void TIBDBExtract::ExtractRoles() {
    DoLogNextLine("Extracting roles...");
    if (!fRdbRoles) return;  // InterBase 4 has no roles
    for (const TRow& r : Select("select rdb$role_name, " +
                                Optional(fRdbRolDescription, "rdb$description", "varchar(1)", "rdb$description") +
                                " from rdb$roles " +
                                (fRdbRolSysFlag ? "where rdb$system_flag = 0 or rdb$system_flag is null " : "") +
                                "order by rdb$role_name")) {
        const std::string name = Name(r, "RDB$ROLE_NAME");
        auto role = std::make_unique<TRolData>(fDBStructure->GetObjs());
        role->SetObjName(name);
        role->SetDescription(Str(r, "RDB$DESCRIPTION"));
        if (fShowFullLog) DoLogNextLine("---" + name);
        if (AcceptObj(name, dboRole)) AddObj(role.release());
    }
}

void TIBDBExtract::ExtractGrants() {
    DoLogNextLine("Extracting grants...");
    TCustomObjs* objs = fDBStructure->GetObjs();
    // One grant per object, grantee, option and column list, as the script reader groups
    // a GRANT statement. The owner's own privileges (grantee = grantor) and the privileges
    // on system objects are the server's and are not read.
    struct TKey {
        std::string object, user, columns;
        std::int64_t objectType, userType, option;
        bool operator<(const TKey& o) const {
            return std::tie(object, objectType, user, userType, option, columns) <
                   std::tie(o.object, o.objectType, o.user, o.userType, o.option, o.columns);
        }
    };
    struct TValue {
        TGrantPrivilegeSet privileges;
        std::vector<std::string> columns;
    };
    std::map<TKey, TValue> grants;
    // Column privileges: every column of one (object, grantee, privilege, option) forms one list.
    std::map<std::tuple<std::string, std::int64_t, std::string, std::int64_t, std::int64_t, std::string>,
             std::vector<std::string>> columnLists;
    const auto privilegeOf = [](const std::string& aCode, TGrantPrivilege& aOut) {
        static const std::pair<const char*, TGrantPrivilege> kCodes[] = {
            {"S", gntSelect}, {"I", gntInsert}, {"U", gntUpdate}, {"D", gntDelete},
            {"R", gntReferences}, {"X", gntExecute}, {"G", gntUsageOn}};
        for (const auto& [code, p] : kCodes)
            if (aCode == code) {
                aOut = p;
                return true;
            }
        return false;
    };
    // The server's own rows (usage of character sets, collations and the default security
    // class) have no grantor. Privileges to create, alter or drop a kind of object (object
    // types 20 and above, FB3 DDL privileges) are not kept by the set, nor read from a
    // script: they are counted and left out on both sides.
    const std::string ddl = HasPackages() ? "p.rdb$object_type >= 20" : "1 = 0";
    for (const TRow& r : Select("select count(*) n from rdb$user_privileges p where p.rdb$grantor is not null and " + ddl))
        if (const std::int64_t n = Int(r, "N")) DoLogNextLine(std::to_string(n) + " DDL privileges are not compared.");
    const auto rows = Select("select p.rdb$user, p.rdb$grantor, p.rdb$privilege, p.rdb$grant_option, "
                             "p.rdb$relation_name, p.rdb$field_name, p.rdb$user_type, p.rdb$object_type "
                             "from rdb$user_privileges p "
                             "where p.rdb$grantor is not null and p.rdb$user <> p.rdb$grantor and not (" + ddl + ") "
                             "and p.rdb$relation_name not starting with 'RDB$' "
                             "and p.rdb$relation_name not starting with 'MON$' "
                             "and p.rdb$relation_name not starting with 'SEC$' "
                             "order by p.rdb$relation_name, p.rdb$user, p.rdb$privilege, p.rdb$field_name");
    for (const TRow& r : rows) {
        const std::string privilege = Name(r, "RDB$PRIVILEGE");
        const std::string field = Name(r, "RDB$FIELD_NAME");
        const TKey key{Name(r, "RDB$RELATION_NAME"), Name(r, "RDB$USER"), "", Int(r, "RDB$OBJECT_TYPE"),
                       Int(r, "RDB$USER_TYPE"), Int(r, "RDB$GRANT_OPTION") ? 1 : 0};
        if (!field.empty())
            columnLists[{key.object, key.objectType, key.user, key.userType, key.option, privilege}].push_back(field);
    }
    for (const TRow& r : rows) {
        const std::string privilege = Name(r, "RDB$PRIVILEGE");
        TKey key{Name(r, "RDB$RELATION_NAME"), Name(r, "RDB$USER"), "", Int(r, "RDB$OBJECT_TYPE"),
                 Int(r, "RDB$USER_TYPE"), Int(r, "RDB$GRANT_OPTION") ? 1 : 0};
        std::vector<std::string> columns;
        if (!Name(r, "RDB$FIELD_NAME").empty()) {
            columns = columnLists[{key.object, key.objectType, key.user, key.userType, key.option, privilege}];
            for (const std::string& c : columns) key.columns += c + ",";
        }
        TValue& v = grants[key];
        v.columns = columns;
        TGrantPrivilege p{};
        if (privilege == "M") continue;  // role membership: no privilege, the object is the role
        if (!privilegeOf(privilege, p)) {
            DoErrorMessage("Grant on " + key.object + " to " + key.user + ": unknown privilege " + privilege);
            continue;
        }
        v.privileges.Include(p);
    }
    const auto kindOf = [](std::int64_t aType) {
        switch (aType) {
            case 0: return dboTable;
            case 1: return dboView;
            case 2: return dboTrigger;
            case 5: return dboProcedure;
            case 7: return dboException;
            case 13: return dboRole;
            case 14: return dboGenerator;
            case 15: return dboFunction;
            case 18: return dboPackage;
            default: return dboUser;
        }
    };
    for (const auto& [key, v] : grants) {
        auto g = std::make_unique<TGntData>(objs);
        g->GntObjName = key.object;
        g->GntObjType = kindOf(key.objectType);
        // A relation is a view when the set holds a view of that name.
        if (g->GntObjType == dboTable && objs->Viw.Find(key.object)) g->GntObjType = dboView;
        g->Privilege = v.privileges;
        g->Flds = v.columns;
        g->Option = static_cast<std::int32_t>(key.option);
        g->User = key.user;
        g->GntUserType = kindOf(key.userType);
        g->CmpGrantType = g->GntUserType == dboRole ? coRoleGrant : g->GntUserType == dboUser ? coUserGrant : coObjGrant;
        if (objs->AddGrant(g.get())) g.release();
    }
}

namespace {
// The script reader, reading bodies in the database's dialect.
class TBodyReader : public TIbExParser {
public:
    using TIbExParser::TIbExParser;
    void UseDialect(int aDialect) { SetDialect(aDialect); }
};
}  // namespace

void TIBDBExtract::LinkDepend() {
    // Keys, constraints, domains and bodies are linked as the script reader links them.
    TBodyReader parser(this);
    // A body the reader cannot read is reported by the object's name; the object keeps its
    // body and the run its result (only the links of that body are missing).
    parser.OnErrorMessage = [this](TObject*, const std::string& aText) {
        if (OnErrorMessage) OnErrorMessage(this, aText);
        else DoLogNextLine(aText);
    };
    parser.OnLogNextLine = [this](TObject*, const std::string& aText) { DoLogNextLine(aText); };
    parser.Objs = fDBStructure->GetObjs();
    parser.UseDialect(fDBStructure->GetObjs()->fIBServerOptions.GetSQLDialect());
    parser.Link_Depend();
}

bool TIBDBExtract::ExtractDatabase() {
    TCustomExtract::ExtractDatabase();
    fProgressMax = 16;
    fProgressValue = 0;
    DoProgressUpdate(0, fProgressMax);
    DoProgressUpdateEx(false, "Starting", 0, fProgressMax);
    if (!fConnection) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): Connection property not assigned.");
        return false;
    }
    if (fConnection->GetConnectionType() == cnAbstract) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): ConnectionType in Connection not specified.");
        return false;
    }
    if (!fDBStructure || !fDBStructure->GetObjs()) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): DBStructure not assigned.");
        return false;
    }
    TCustomObjs* objs = fDBStructure->GetObjs();
    fDBStructure->Clear();
    objs->ExtractFrom = efDatabase;
    fDBStructure->SetDatabaseType(fDatabaseType);
    objs->fConnectionOptions.Assign(fConnection->GetConnectionOptions());
    // Scripts name the database as the client does ("host/port:path"): a CONNECT with the
    // path alone would reach a database of that path on the machine that runs the script.
    objs->fConnectionOptions.SetDatabaseName(fConnection->GetDBConnectionString());
    objs->fConnectionOptions.SetHostName("");
    objs->fConnectionOptions.SetPort(0);
    bool ok = true;
    fRefusedDomains.clear();
    fSegments.clear();
    fSegmentsRead = false;
    // The step under way, to name it in an error that ends the run.
    std::string current = "connecting";
    try {
        fConnection->SetConnected(false);
        fConnection->SetIBServerOptions(objs->fIBServerOptions);
        if (!fConnection->Connect()) {
            // The reason was reported by the connection; it never holds the password.
            DoErrorMessage("TIBDBExtract.ExtractDatabase(): cannot connect: " + fConnection->GetLastError());
            return false;
        }
        DoBeforeDatabaseExtract();
        objs->fIBServerOptions.SetIBDatabaseOptions(fConnection->GetIBServerOptions().GetIBDatabaseOptions());
        // The on-disk structure tells the server generation the set's scripts are written for.
        const TIBDatabaseOptions& db = objs->fIBServerOptions.GetIBDatabaseOptions();
        if (db.GetODSMajorVersion() >= 13) objs->fIBServerOptions.SetSQLServerVersion(st_Firebird_40);
        else if (db.GetODSMajorVersion() == 12) objs->fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
        if (const std::int32_t dialect = objs->fIBServerOptions.GetIBDatabaseOptions().GetDBSQLDialect())
            objs->fIBServerOptions.SetSQLDialect(static_cast<TIBSQLDialectType>(dialect));
        const auto cs = Select("select rdb$character_set_name, rdb$description from rdb$database");
        if (!cs.empty()) {
            objs->fIBServerOptions.SetDBCharSet(Name(cs[0], "RDB$CHARACTER_SET_NAME"));
            objs->DBDescription = Str(cs[0], "RDB$DESCRIPTION");
        }
        Probe();
        LoadLookups();
        const TCmpObjSetType what = GetExtractObjects();
        // A run stopped by TerminateRunning keeps what it read but is not a success: an
        // incomplete set must not be compared.
        bool stopped = false;
        const auto step = [this, &stopped, &current](const char* aCaption, bool aRun, void (TIBDBExtract::*aWork)()) {
            if (stopped) return;
            current = aCaption;
            DoProgressUpdateEx(false, aCaption, fProgressValue, fProgressMax);
            if (aRun) (this->*aWork)();
            DoProgressUpdate(++fProgressValue, fProgressMax);
            stopped = TerminateRunning;
        };
        step("Collations", true, &TIBDBExtract::ExtractCollations);
        step("Domains", what.Contains(coDomain), &TIBDBExtract::ExtractDomains);
        step("Tables", what.Contains(coTable), &TIBDBExtract::ExtractTables);
        step("Views", what.Contains(coView), &TIBDBExtract::ExtractViews);
        step("Generators", what.Contains(coGenerator), &TIBDBExtract::ExtractGenerators);
        step("Functions", what.Contains(coFunction), &TIBDBExtract::ExtractUdfs);
        step("Procedures", what.Contains(coProcedure), &TIBDBExtract::ExtractRoutines);
        step("Packages", HasPackages() && what.Contains(coProcedure), &TIBDBExtract::ExtractPackages);
        step("Triggers", what.Contains(coTrigger), &TIBDBExtract::ExtractTriggers);
        step("Indexes", what.Contains(coIndex), &TIBDBExtract::ExtractIndices);
        step("Exceptions", what.Contains(coException), &TIBDBExtract::ExtractExceptions);
        step("Constraints", true, &TIBDBExtract::ExtractConstraints);
        step("Roles", what.Contains(coRole), &TIBDBExtract::ExtractRoles);
        step("Grants", what.Contains(coGrant), &TIBDBExtract::ExtractGrants);
        step("Parsing bodies", true, &TIBDBExtract::LinkDepend);
        if (stopped) {
            DoErrorMessage("TIBDBExtract.ExtractDatabase(): interrupted.");
            ok = false;
        } else {
            DoProgressUpdateEx(false, "Finished", fProgressValue, fProgressMax);
        }
    } catch (const std::exception& e) {
        DoErrorMessage("TIBDBExtract.ExtractDatabase(): " + current + ": " + e.what());
        ok = false;
    }
    try {
        fConnection->SetConnected(false);
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
        ok = false;
    }
    return ok && !fMsgMngr.GetIsErr();
}

}  // namespace dbtwin
