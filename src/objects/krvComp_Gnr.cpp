#include "objects/krvComp_Gnr.h"

#include <cstring>

#include "compare/krvKeldar.h"
#include "exec/krvSQL_Exec.h"
#include "objects/krvCompColumn.h"
#include "objects/krvComp_Tbl.h"

namespace dbtwin {

namespace {

constexpr const char* kCRLF = "\r\n";
constexpr const char* kNoMaximum = "999999999999999999999999999";

bool Descending(const std::string& aIncrement) { return !aIncrement.empty() && aIncrement[0] == '-'; }

// The words of ALTER SEQUENCE on a database kind; nullptr where the kind cannot change the
// option in place. A value follows the words that end in a blank.
struct TSeqWords {
    const char* Increment = nullptr;
    const char* MaxValue = nullptr;
    const char* NoMaxValue = nullptr;
    const char* MinValue = nullptr;
    const char* NoMinValue = nullptr;
    const char* Start = nullptr;  // sets the start value only, never the current value
    const char* Cycle = nullptr;
    const char* NoCycle = nullptr;
    const char* Order = nullptr;
    const char* NoOrder = nullptr;
    const char* Cache = nullptr;
    const char* NoCache = nullptr;
    const char* Owner = nullptr;
};

// Oracle cannot change a start value at all; PostgreSQL and MariaDB change it without
// touching the current value; SQL Server, DB2 and Firebird only through RESTART, which
// resets the current value, so there it is left as it is. Firebird 3 changes no more
// than the increment.
const TSeqWords kOracleWords{" increment by ", " maxvalue ", " nomaxvalue", " minvalue ", " nominvalue", nullptr,
                             " cycle", " nocycle", " order", " noorder", " cache ", " nocache", nullptr};
const TSeqWords kPGWords{" increment by ", " maxvalue ", " no maxvalue", " minvalue ", " no minvalue", " start with ",
                         " cycle", " no cycle", nullptr, nullptr, " cache ", nullptr, " owned by "};
const TSeqWords kMariaDBWords{" increment by ", " maxvalue ", " nomaxvalue", " minvalue ", " nominvalue", " start with ",
                              " cycle", " nocycle", nullptr, nullptr, " cache ", " nocache", nullptr};
const TSeqWords kMSSQLWords{" INCREMENT BY ", " MAXVALUE ", " NO MAXVALUE", " MINVALUE ", " NO MINVALUE", nullptr,
                            " CYCLE", " NO CYCLE", nullptr, nullptr, " CACHE ", " NO CACHE", nullptr};
const TSeqWords kDB2Words{" INCREMENT BY ", " MAXVALUE ", " NO MAXVALUE", " MINVALUE ", " NO MINVALUE", nullptr,
                          " CYCLE", " NO CYCLE", " ORDER", " NO ORDER", " CACHE ", " NO CACHE", nullptr};
const TSeqWords kFirebird3Words{" INCREMENT BY "};
const TSeqWords kNoWords{};

// A name of OwnedBy split at the dots outside double quotes, each part unquoted.
std::vector<std::string> SplitQualified(const std::string& aName) {
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (std::size_t i = 0; i < aName.size(); ++i) {
        const char c = aName[i];
        if (c == '"') {
            if (quoted && i + 1 < aName.size() && aName[i + 1] == '"') {
                parts.back() += '"';
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (c == '.' && !quoted) {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

std::string Shown(const std::string& aValue) { return aValue.empty() ? "none" : aValue; }

std::string YesNo(bool aValue) { return aValue ? "yes" : "no"; }

}  // namespace

// ---------------------------------------------------------------------------
// TGnrData

TGnrData::TGnrData(TCustomObjs* aObjs, TDbObj* aOwner) : TDbObj(aObjs) {
    fObjType = dboGenerator;
    if (!aOwner || !aOwner->IsField()) {
        fData = std::make_unique<TFldData>(aObjs);
        fData->OwnObj = this;
    }
}

TGnrData::~TGnrData() = default;

void TGnrData::SetMaxValue(const std::string& aValue) {
    fMaxValue = aValue == kNoMaximum ? std::string() : aValue;
    NoMaxValue = fMaxValue.empty();
}

void TGnrData::SetMinValue(const std::string& aValue) {
    MinValue = aValue;
    NoMinValue = aValue.empty();
}

void TGnrData::SetCache(const std::string& aValue) {
    if (aValue == "0") {
        fCache.clear();
        SetNoCache(true);
        return;
    }
    fCache = aValue;
    if (!aValue.empty()) fNoCache = false;
}

void TGnrData::SetNoCache(bool aValue) {
    fNoCache = aValue;
    if (aValue) fCache.clear();
}

std::string TGnrData::GetCache() const {
    if (fNoCache) return std::string();
    if (!fCache.empty()) return fCache;
    switch (GetDatabaseType()) {
        case dbOracle: case dbDB2: return "20";
        case dbPostgreSQL: return "1";
        case dbMySQL: return "1000";
        default: return std::string();
    }
}

bool TGnrData::IsFirebird3() const {
    if (GetDatabaseType() != dbInterBase) return false;
    const TIBServerOptions* ib = GetIBServerOptions();
    const TIBSQLServerVersionType v = ib ? ib->GetSQLServerVersion() : st_InterBase_6x;
    return v == st_Firebird_30 || v == st_Firebird_40;
}

std::string TGnrData::SeqName() const { return GetObjFullName(); }

TSeqOptions TGnrData::Options() const {
    const TDatabaseType db = GetDatabaseType();
    TSeqOptions r;
    r.Increment = IncrementBy.empty() ? "1" : IncrementBy;
    const bool down = Descending(r.Increment);
    if (db == dbInterBase) {
        // A generator has a start value and (from Firebird 3) an increment, nothing else.
        r.Start = StartWith.empty() ? "0" : StartWith;
        return r;
    }
    r.Min = MinValue;
    r.Max = fMaxValue;
    // The bounds each kind gives an ascending sequence of its own accord.
    if (!down && r.Min == "1" && (db == dbOracle || db == dbPostgreSQL || db == dbMySQL)) r.Min.clear();
    if (!down && ((db == dbPostgreSQL && r.Max == "9223372036854775807") ||
                  (db == dbMySQL && r.Max == "9223372036854775806")))
        r.Max.clear();
    r.Start = StartWith;
    if (r.Start.empty() && (db == dbPostgreSQL || db == dbMySQL))
        r.Start = down ? (r.Max.empty() ? "-1" : r.Max) : (r.Min.empty() ? "1" : r.Min);
    if (db == dbOracle) r.Start.clear();  // not part of an Oracle sequence's text
    r.Cycle = Cycle;
    r.Order = Order && (db == dbOracle || db == dbDB2);
    // "0" stands for no cache; PostgreSQL's smallest cache (1) is the same as none.
    r.Cache = fNoCache ? "0" : GetCache();
    if (db == dbPostgreSQL && r.Cache == "0") r.Cache = "1";
    if (db == dbPostgreSQL) {
        r.Owner = OwnedBy;
        r.Temporary = Temporary;
    }
    if (db == dbMSSQL && fData && fData->FieldType != iftUnknown) r.Type = fData->FieldTypeDef();
    return r;
}

std::string TGnrData::Def() const {
    const std::string CRLF = kCRLF;
    const TDatabaseType db = GetDatabaseType();
    const TSeqOptions o = Options();
    std::string r;
    switch (db) {
        case dbOracle:
            r = "CREATE SEQUENCE " + SeqName();
            if (!o.Min.empty()) r += CRLF + "minvalue " + o.Min;
            if (!o.Max.empty()) r += CRLF + "maxvalue " + o.Max;
            if (o.Increment != "1") r += CRLF + "increment by " + o.Increment;
            r += CRLF + (o.Cache == "0" ? std::string("nocache") : "cache " + o.Cache);
            if (Order) r += CRLF + "order";
            if (Cycle) r += CRLF + "cycle";
            return r;
        case dbMSSQL:
            r = "CREATE SEQUENCE " + SeqName();
            if (!o.Type.empty()) r += CRLF + "    AS " + o.Type;
            if (!StartWith.empty()) r += CRLF + "    START WITH " + StartWith;
            if (o.Increment != "1") r += CRLF + "    INCREMENT BY " + o.Increment;
            if (!MinValue.empty() && MinValue != "1") r += CRLF + "    MINVALUE " + MinValue;
            if (!o.Max.empty()) r += CRLF + "    MAXVALUE " + o.Max;
            if (Cycle) r += CRLF + "    CYCLE";
            // The server knows NO CACHE, not NOCACHE.
            if (o.Cache == "0") r += CRLF + "    NO CACHE";
            else if (!o.Cache.empty()) r += CRLF + "    CACHE " + o.Cache;
            return r;
        case dbPostgreSQL:
            r = std::string("CREATE ") + (Temporary ? "TEMPORARY " : "") + "SEQUENCE " + SeqName();
            if (!IncrementBy.empty()) r += " INCREMENT BY " + IncrementBy;
            if (!MinValue.empty()) r += " MINVALUE " + MinValue;
            if (!fMaxValue.empty()) r += " MAXVALUE " + fMaxValue;
            if (!StartWith.empty()) r += " START WITH " + StartWith;
            r += " CACHE " + o.Cache;
            if (Cycle) r += " CYCLE";
            if (!OwnedBy.empty()) r += " OWNED BY " + OwnedBy;
            return r;
        case dbMySQL:
        case dbDB2: {
            const bool db2 = db == dbDB2;
            r = "CREATE SEQUENCE " + SeqName();
            if (!StartWith.empty()) r += " START WITH " + StartWith;
            if (o.Increment != "1") r += " INCREMENT BY " + o.Increment;
            if (!MinValue.empty()) r += " MINVALUE " + MinValue;
            if (!fMaxValue.empty()) r += " MAXVALUE " + fMaxValue;
            if (o.Cache == "0") r += db2 ? " NO CACHE" : " NOCACHE";
            else if (!o.Cache.empty()) r += " CACHE " + o.Cache;
            if (Cycle) r += " CYCLE";
            if (db2 && Order) r += " ORDER";
            return r;
        }
        default:
            if (!IsFirebird3()) return "CREATE GENERATOR " + QuoteIdent(fObjName);
            // CREATE GENERATOR would store start 0 and increment 1 whatever the master has.
            r = "CREATE SEQUENCE " + QuoteIdent(fObjName);
            if (o.Start != "0") r += " START WITH " + o.Start;
            if (o.Increment != "1") r += " INCREMENT BY " + o.Increment;
            return r;
    }
}

std::string TGnrData::DropDef() const {
    switch (GetDatabaseType()) {
        case dbInterBase: {
            const TIBServerOptions* ib = GetIBServerOptions();
            if (ib && ib->GetSQLServerVersion() <= st_InterBase_6x)
                return "/* Drop generator: " + QuoteIdent(fObjName) + " */" + kCRLF +
                       "DELETE FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = " + ScriptQuotedStr(fObjName, dbInterBase);
            return "DROP GENERATOR " + QuoteIdent(fObjName);
        }
        case dbMSSQL:
            // Sequences exist from SQL Server 2012 on.
            if (fObjs && fObjs->fMSSQLServerOptions.GetSQLServerVersion() < st_MSSQL2012) return std::string();
            return "DROP SEQUENCE " + SeqName();
        case dbPostgreSQL: case dbOracle: case dbDB2: case dbMySQL: return "DROP SEQUENCE " + SeqName();
        default: return std::string();
    }
}

std::string TGnrData::ParamDef() const {
    if (GetDatabaseType() != dbDB2) return std::string();
    std::string r;
    auto part = [&r](const char* aWords, const std::string& aValue) {
        if (!aValue.empty()) r += (r.empty() ? "" : ", ") + std::string(aWords) + aValue;
    };
    part("START WITH ", StartWith);
    part("INCREMENT BY ", IncrementBy);
    part("CACHE ", GetCache());
    return r.empty() ? r : "(" + r + ")";
}

std::string TGnrData::AlterClauses(const TGnrData& aTarget, std::vector<std::string>& aLeft) const {
    const TDatabaseType db = GetDatabaseType();
    const TSeqWords& w = db == dbOracle       ? kOracleWords
                         : db == dbPostgreSQL ? kPGWords
                         : db == dbMySQL      ? kMariaDBWords
                         : db == dbMSSQL      ? kMSSQLWords
                         : db == dbDB2        ? kDB2Words
                         : IsFirebird3()      ? kFirebird3Words
                                              : kNoWords;
    const TSeqOptions m = Options();
    const TSeqOptions t = aTarget.Options();
    std::string r;
    auto leave = [&](const char* what, const std::string& mv, const std::string& tv, const char* why) {
        aLeft.push_back("Sequence " + fObjName + ": " + what + " " + tv + " is not changed to " + mv + ": " + why);
    };
    const char* inPlace = "the server cannot change it in place";
    // One option with a value; aNone is written when the master has none.
    auto value = [&](const char* what, const std::string& mv, const std::string& tv, const char* aWord,
                     const char* aNone, const char* why) {
        if (mv == tv) return;
        const char* word = mv.empty() ? aNone : aWord;
        if (word) r += word + (mv.empty() ? std::string() : mv);
        else leave(what, Shown(mv), Shown(tv), why);
    };
    auto flag = [&](const char* what, bool mv, bool tv, const char* aOn, const char* aOff) {
        if (mv == tv) return;
        if (const char* word = mv ? aOn : aOff) r += word;
        else leave(what, YesNo(mv), YesNo(tv), inPlace);
    };
    value("increment", m.Increment, t.Increment, w.Increment, w.Increment, inPlace);
    value("maximum", m.Max, t.Max, w.MaxValue, w.NoMaxValue, inPlace);
    value("minimum", m.Min, t.Min, w.MinValue, w.NoMinValue, inPlace);
    value("start value", m.Start, t.Start, w.Start, w.Start, "only a restart changes it, and a comparison never resets the current value");
    flag("cycle", m.Cycle, t.Cycle, w.Cycle, w.NoCycle);
    flag("order", m.Order, t.Order, w.Order, w.NoOrder);
    // Cache "0" is no cache; an empty cache is the server's own choice (SQL Server).
    if (m.Cache != t.Cache) {
        const char* word = m.Cache == "0" ? w.NoCache : w.Cache;
        const std::string size = m.Cache == "0" ? std::string() : m.Cache;
        if (!word) leave("cache", m.Cache == "0" ? "none" : Shown(size), t.Cache == "0" ? "none" : Shown(t.Cache), inPlace);
        else if (m.Cache == "0" || !size.empty()) r += word + size;
        else r += std::string(word, std::strlen(word) - 1);  // the server's own size
    }
    if (m.Owner != t.Owner) {
        if (w.Owner) r += w.Owner + (m.Owner.empty() ? std::string("none") : m.Owner);
        else leave("owner", Shown(m.Owner), Shown(t.Owner), inPlace);
    }
    flag("temporary", m.Temporary, t.Temporary, nullptr, nullptr);
    value("data type", m.Type, t.Type, nullptr, nullptr, inPlace);
    return r;
}

std::vector<std::string> TGnrData::CreateLosses() const {
    std::vector<std::string> r;
    if (GetDatabaseType() != dbInterBase || IsFirebird3()) return r;
    const TSeqOptions o = Options();
    const char* why = ": a generator of this server version has no such option";
    if (o.Increment != "1") r.push_back("Generator " + fObjName + ": increment " + o.Increment + " is not written" + why);
    if (o.Start != "0") r.push_back("Generator " + fObjName + ": start value " + o.Start + " is not written" + why);
    return r;
}

TFldData* TGnrData::OwnerColumn() const {
    if (OwnedBy.empty() || !fObjs || GetDatabaseType() != dbPostgreSQL) return nullptr;
    const std::vector<std::string> parts = SplitQualified(OwnedBy);
    if (parts.size() < 2) return nullptr;
    const std::string& table = parts[parts.size() - 2];
    const std::string schema = parts.size() > 2 ? parts[parts.size() - 3] : fSchema.str();
    TTblData* t = schema.empty() ? nullptr : fObjs->Tbl.Find(schema + "." + table);
    if (!t) t = fObjs->Tbl.Find(table);
    return t ? t->FindFld(parts.back()) : nullptr;
}

bool TGnrData::ComesWithColumn() const {
    const TFldData* c = OwnerColumn();
    return c && (c->FieldType == iftSerial || c->FieldType == iftBigSerial || c->Identity);
}

// ---------------------------------------------------------------------------
// Generators

namespace {

std::string Heading(const TGnrData* g, const char* aOperation) {
    return g->GenComment(std::string(aOperation) + (g->GetDatabaseType() == dbInterBase ? " generator..." : " sequence..."));
}

}  // namespace

void GenScriptGenrCreate(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!M || !ex) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    bool any = false;
    for (TGnrData* m : M->Gnr) {
        if (m->CompExclude || m->GetRefObj() || m->GetObjCreated()) continue;
        if (m->ComesWithColumn()) {
            // Creating the column made the sequence.
            if (m->OwnerColumn()->GetObjCreated()) m->SetObjCreated(true);
            continue;
        }
        if (!any) ex->AddComment(Heading(m, "Create"));
        any = true;
        m->AddStatement(m->CreateDef(), stStatement, m->fObjName, dboGenerator, odbCreate);
        m->SetObjCreated(true);
        for (const std::string& w : m->CreateLosses()) k.AddWarning(w);
        if (descriptions && !m->GetDescription().empty()) m->AddDescription();
    }
    if (any) ex->AddComment(kCRLF);
}

void GenScriptGenrAlter(TKeldar& k) {
    TCustomObjs* M = k.GetMObjs();
    if (!M || !k.GetSQLExec()) return;
    const bool descriptions = k.GetCompareObjects().Contains(coDescription);
    for (TGnrData* m : M->Gnr) {
        auto* t = dynamic_cast<TGnrData*>(m->GetRefObj());
        if (!t || m->CompExclude || t->CompExclude) continue;
        std::vector<std::string> left;
        const std::string clauses = m->AlterClauses(*t, left);
        if (!clauses.empty())
            m->AddStatement("ALTER SEQUENCE " + m->GetObjFullName() + clauses, stStatement, m->fObjName, dboGenerator,
                            odbAlter);
        for (const std::string& w : left) k.AddWarning(w);
        if (descriptions && m->GetDescription() != t->GetDescription()) m->AddDescription();
    }
}

void GenScriptGenrDrop(TKeldar& k) {
    TCustomObjs* T = k.GetTObjs();
    TCustomSQLExec* ex = k.GetSQLExec();
    if (!T || !ex) return;
    bool any = false;
    for (TGnrData* t : T->Gnr) {
        if (!t->GetObjCreated() || t->CompExclude || t->GetRefObj()) continue;
        if (!t->OwnedBy.empty() && t->GetDatabaseType() == dbPostgreSQL) {
            // An owned sequence goes with its column (a serial's default keeps the server from
            // dropping it on its own).
            const TFldData* c = t->OwnerColumn();
            if (c && (!c->GetObjCreated() || (c->OwnObj && !c->OwnObj->GetObjCreated()))) t->SetObjCreated(false);
            else k.AddWarning("Sequence " + t->fObjName + " is owned by " + t->OwnedBy + " and goes only with that column");
            continue;
        }
        if (!any) ex->AddComment(Heading(t, "Drop"));
        any = true;
        if (t->DropDef().empty()) {
            k.AddWarning("Sequence " + t->fObjName + " cannot be dropped on this server version");
            t->SetObjCreated(false);
            continue;
        }
        t->DropDependDef();
    }
    if (any) ex->AddComment(kCRLF);
}

}  // namespace dbtwin
