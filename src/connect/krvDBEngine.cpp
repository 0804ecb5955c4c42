#include "connect/krvDBEngine.h"

#include <cxxabi.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <typeinfo>

#include "core/krvMsg.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

TconnectionType IBConnectionType = cnIBX;

// ---------------------------------------------------------------------------
// Values

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string FloatText(double v) {
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Reads a fixed number of digits at s[i]; false when they are not all digits.
bool ReadDigits(std::string_view s, std::size_t& i, std::size_t n, std::int32_t& out) {
    if (i + n > s.size()) return false;
    out = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (!IsDigit(s[i + k])) return false;
        out = out * 10 + (s[i + k] - '0');
    }
    i += n;
    return true;
}

}  // namespace

std::string TKRVDateTime::ToString(TKRVFieldType aType) const {
    char buf[64];
    std::string date, time;
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", Year, Month, Day);
    date = buf;
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", Hour, Minute, Second);
    time = buf;
    if (Microsecond) {
        std::snprintf(buf, sizeof buf, ".%06d", Microsecond);
        std::string f = buf;
        while (f.back() == '0') f.pop_back();
        time += f;
    }
    if (aType == ftDate) return date;
    if (aType == ftTime) return time;
    return date + " " + time;
}

TKRVDateTime TKRVDateTime::Parse(std::string_view aText) {
    std::string t = Trim(aText);
    std::string_view s = t;
    TKRVDateTime r;
    std::size_t i = 0;
    auto bad = [&]() { return EKrvError("'" + t + "' is not a valid date and time"); };
    auto readTime = [&]() {
        if (!ReadDigits(s, i, 2, r.Hour) || i >= s.size() || s[i++] != ':' ||
            !ReadDigits(s, i, 2, r.Minute))
            throw bad();
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!ReadDigits(s, i, 2, r.Second)) throw bad();
            if (i < s.size() && s[i] == '.') {
                ++i;
                std::int32_t scale = 100000;
                std::size_t start = i;
                while (i < s.size() && IsDigit(s[i])) {
                    if (scale) r.Microsecond += (s[i] - '0') * scale;
                    scale /= 10;
                    ++i;
                }
                if (i == start) throw bad();
            }
        }
        if (r.Hour > 23 || r.Minute > 59 || r.Second > 59) throw bad();
    };
    if (s.size() >= 3 && s[2] == ':') {
        readTime();
    } else {
        if (!ReadDigits(s, i, 4, r.Year) || i >= s.size() || s[i++] != '-' ||
            !ReadDigits(s, i, 2, r.Month) || i >= s.size() || s[i++] != '-' ||
            !ReadDigits(s, i, 2, r.Day))
            throw bad();
        if (r.Month < 1 || r.Month > 12 || r.Day < 1 || r.Day > 31) throw bad();
        if (i < s.size()) {
            if (s[i] != ' ' && s[i] != 'T') throw bad();
            ++i;
            readTime();
        }
    }
    if (i != s.size()) throw bad();
    return r;
}

std::string TKRVValue::AsString() const {
    if (fIsNull) return {};
    switch (fDataType) {
    case ftInteger: return std::to_string(fInt);
    case ftFloat: return FloatText(fFloat);
    case ftDate:
    case ftTime:
    case ftDateTime: return fDateTime.ToString(fDataType);
    case ftBoolean: return fInt ? "True" : "False";
    default: return fText;
    }
}

std::int64_t TKRVValue::AsInteger() const {
    if (fIsNull) return 0;
    switch (fDataType) {
    case ftInteger:
    case ftBoolean: return fInt;
    case ftFloat:
        if (std::trunc(fFloat) == fFloat && std::fabs(fFloat) < 9.2e18)
            return static_cast<std::int64_t>(fFloat);
        break;
    case ftDate:
    case ftTime:
    case ftDateTime: break;
    default: {
        std::string t = Trim(fText);
        // An exact numeric with a zero fraction ("12.000") is an integer.
        if (auto dot = t.find('.'); dot != std::string::npos &&
                                    t.find_first_not_of('0', dot + 1) == std::string::npos)
            t.resize(dot);
        std::int64_t v = 0;
        const char* b = t.data();
        if (!t.empty() && t[0] == '+') ++b;
        auto r = std::from_chars(b, t.data() + t.size(), v);
        if (r.ec == std::errc() && r.ptr == t.data() + t.size() && b != t.data() + t.size())
            return v;
    }
    }
    throw EKrvError("'" + AsString() + "' is not a valid integer");
}

double TKRVValue::AsFloat() const {
    if (fIsNull) return 0;
    switch (fDataType) {
    case ftFloat: return fFloat;
    case ftInteger:
    case ftBoolean: return static_cast<double>(fInt);
    case ftDate:
    case ftTime:
    case ftDateTime: break;
    default: {
        std::string t = Trim(fText);
        double v = 0;
        auto r = std::from_chars(t.data(), t.data() + t.size(), v);
        if (!t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size()) return v;
    }
    }
    throw EKrvError("'" + AsString() + "' is not a valid floating point value");
}

TKRVDateTime TKRVValue::AsDateTime() const {
    if (fIsNull) return {};
    switch (fDataType) {
    case ftDate:
    case ftTime:
    case ftDateTime: return fDateTime;
    case ftString:
    case ftMemo:
    case ftBlob: return TKRVDateTime::Parse(fText);
    default: throw EKrvError("'" + AsString() + "' is not a valid date and time");
    }
}

const std::string& TKRVValue::AsBlob() const {
    if (!fIsNull && (fDataType == ftString || fDataType == ftMemo || fDataType == ftBlob ||
                     fDataType == ftBCD))
        return fText;
    fBlobText = AsString();
    return fBlobText;
}

bool TKRVValue::AsBoolean() const {
    if (fIsNull) return false;
    switch (fDataType) {
    case ftBoolean:
    case ftInteger: return fInt != 0;
    case ftFloat: return fFloat != 0;
    default: {
        std::string t = UpperCase(Trim(AsString()));
        if (t == "TRUE" || t == "T" || t == "1" || t == "Y" || t == "YES") return true;
        if (t == "FALSE" || t == "F" || t == "0" || t == "N" || t == "NO") return false;
        throw EKrvError("'" + AsString() + "' is not a valid boolean value");
    }
    }
}

void TKRVValue::Clear(TKRVFieldType aType) {
    fDataType = aType;
    fIsNull = true;
    fText.clear();
    fInt = 0;
    fFloat = 0;
    fDateTime = {};
}

void TKRVValue::SetString(std::string aValue) {
    Clear(ftString);
    fIsNull = false;
    fText = std::move(aValue);
}

void TKRVValue::SetInteger(std::int64_t aValue) {
    Clear(ftInteger);
    fIsNull = false;
    fInt = aValue;
}

void TKRVValue::SetFloat(double aValue) {
    Clear(ftFloat);
    fIsNull = false;
    fFloat = aValue;
}

void TKRVValue::SetBCD(std::string aDecimalText) {
    Clear(ftBCD);
    fIsNull = false;
    fText = std::move(aDecimalText);
}

void TKRVValue::SetDateTime(const TKRVDateTime& aValue, TKRVFieldType aType) {
    Clear(aType);
    fIsNull = false;
    fDateTime = aValue;
}

void TKRVValue::SetBlob(std::string aBytes) {
    Clear(ftBlob);
    fIsNull = false;
    fText = std::move(aBytes);
}

void TKRVValue::SetMemo(std::string aText) {
    Clear(ftMemo);
    fIsNull = false;
    fText = std::move(aText);
}

void TKRVValue::SetBoolean(bool aValue) {
    Clear(ftBoolean);
    fIsNull = false;
    fInt = aValue ? 1 : 0;
}

TKRVParam& TKRVParams::Add(const std::string& aName) { return fItems.emplace_back(aName); }

TKRVParam* TKRVParams::FindParam(std::string_view aName) {
    for (auto& p : fItems)
        if (SameText(p.GetName(), aName)) return &p;
    return nullptr;
}

const TKRVParam& TKRVParams::BoundValue(std::size_t i) const {
    const TKRVParam& p = fItems.at(i);
    if (p.GetName().empty()) return p;
    for (const auto& q : fItems)
        if (SameText(q.GetName(), p.GetName())) return q;
    return p;
}

TKRVField* TKRVFields::FindField(std::string_view aName) {
    for (auto& f : fItems)
        if (SameText(f.GetFieldName(), aName)) return &f;
    return nullptr;
}

// ---------------------------------------------------------------------------
// Parameter markers

namespace {

bool IsIdentByte(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

// The length of the quoted text, comment or dollar-quoted body that starts at s[i]; 0 when
// none starts there. An unterminated quote or comment runs to the end of the text.
std::size_t SkipQuoted(std::string_view s, std::size_t i, TDatabaseType db) {
    const char c = s[i];
    const std::size_t n = s.size();
    const bool mysql = db == dbMySQL;
    if (c == '-' && i + 1 < n && s[i + 1] == '-' &&
        (!mysql || i + 2 >= n || static_cast<unsigned char>(s[i + 2]) <= ' ')) {
        std::size_t e = s.find('\n', i);
        return (e == std::string_view::npos ? n : e + 1) - i;
    }
    if (c == '#' && mysql) {
        std::size_t e = s.find('\n', i);
        return (e == std::string_view::npos ? n : e + 1) - i;
    }
    if (c == '/' && i + 1 < n && s[i + 1] == '*') {
        // PostgreSQL nests block comments.
        int depth = 1;
        std::size_t j = i + 2;
        while (j < n && depth > 0) {
            if (s[j] == '*' && j + 1 < n && s[j + 1] == '/') {
                --depth;
                j += 2;
            } else if (db == dbPostgreSQL && s[j] == '/' && j + 1 < n && s[j + 1] == '*') {
                ++depth;
                j += 2;
            } else {
                ++j;
            }
        }
        return j - i;
    }
    if (c == '\'' || c == '"' || c == '`') {
        // Backslash escapes: MySQL strings, PostgreSQL E'..' strings.
        bool backslash = false;
        if (c != '`') {
            if (mysql) backslash = true;
            else if (db == dbPostgreSQL && c == '\'' && i > 0 && (s[i - 1] == 'E' || s[i - 1] == 'e') &&
                     (i < 2 || !IsIdentByte(s[i - 2])))
                backslash = true;
        }
        std::size_t j = i + 1;
        while (j < n) {
            if (backslash && s[j] == '\\') {
                j += 2;
                continue;
            }
            if (s[j] == c) {
                if (j + 1 < n && s[j + 1] == c) {
                    j += 2;
                    continue;
                }
                return j + 1 - i;
            }
            ++j;
        }
        return n - i;
    }
    if (c == '$' && !mysql && (i == 0 || !IsIdentByte(s[i - 1]))) {
        std::size_t j = i + 1;
        if (j < n && (IsAsciiLetter(s[j]) || s[j] == '_' || static_cast<unsigned char>(s[j]) >= 0x80)) {
            while (j < n && IsIdentByte(s[j]) && s[j] != '$') ++j;
        }
        if (j >= n || s[j] != '$') return 0;
        std::string_view tag = s.substr(i, j + 1 - i);
        std::size_t e = s.find(tag, j + 1);
        if (e == std::string_view::npos) return 0;
        return e + tag.size() - i;
    }
    return 0;
}

bool IsLiteralChar(char c) { return c == '\'' || c == '"' || c == '`'; }

// Characters that end an unquoted marker name.
bool IsNameStop(char c) {
    static constexpr std::string_view stops = "!%&()*+,-/;<=>?[\\]^|~:";
    return IsBlank(c) || IsLiteralChar(c) || stops.find(c) != std::string_view::npos;
}

bool IsParamNameChar(char c) {
    return IsAsciiLetter(c) || IsDigit(c) || c == '#' || c == '$' || c == '@' || c == '_';
}

}  // namespace

std::string ParamsParseSQL(TKRVParams* Params, const std::string& SQL, bool DoCreate,
                           TDatabaseType aDatabaseType) {
    if (DoCreate && Params) Params->Clear();
    std::string out;
    out.reserve(SQL.size());
    const std::string_view s = SQL;
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        if (std::size_t q = SkipQuoted(s, i, aDatabaseType)) {
            out.append(s.substr(i, q));
            i += q;
            continue;
        }
        const char c = s[i];
        if (c != ':') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < n && s[i + 1] == ':') {  // a cast or a label separator, kept as it is
            out += "::";
            i += 2;
            continue;
        }
        bool start = i + 1 < n && !IsBlank(s[i + 1]) && i > 0;
        if (start) {
            const char prev = s[i - 1];
            const bool identPrev = IsAsciiLetter(prev) || IsDigit(prev) || prev == '_';
            if (identPrev) {
                start = IsDigit(prev);
                for (std::size_t k = 0; start && k < i; ++k)
                    start = IsDigit(s[k]) || IsBlank(s[k]);
            }
        }
        std::string name;
        std::size_t stop = i + 1;
        if (start) {
            if (IsLiteralChar(s[stop])) {  // :"quoted name"
                const char q = s[stop];
                std::size_t e = s.find(q, stop + 1);
                if (e == std::string_view::npos) {
                    start = false;
                } else {
                    name = std::string(s.substr(stop + 1, e - stop - 1));
                    stop = e + 1;
                    start = !name.empty();
                }
            } else {
                while (stop < n && !IsNameStop(s[stop])) ++stop;
                name = std::string(s.substr(i + 1, stop - i - 1));
                start = !name.empty();
            }
        }
        if (!start) {
            out += ':';
            ++i;
            continue;
        }
        if (DoCreate && Params) Params->Add(name);
        out += '?';
        i = stop;
    }
    return out;
}

std::string Params_ParseSQL(TKRVParams* Params, const std::string& SQL, bool DoCreate,
                            TDatabaseType aDatabaseType) {
    if (DoCreate && Params) Params->Clear();
    std::string out;
    out.reserve(SQL.size());
    const std::string_view s = SQL;
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        if (std::size_t q = SkipQuoted(s, i, aDatabaseType)) {
            out.append(s.substr(i, q));
            i += q;
            continue;
        }
        const char c = s[i];
        if (c == '?') {
            if (DoCreate && Params) Params->Add({});
            out += '?';
            ++i;
        } else if (c == ':' && i + 1 < n && s[i + 1] == ':') {
            out += "::";
            i += 2;
        } else if (c == ':' && i + 1 < n && IsParamNameChar(s[i + 1])) {
            std::size_t e = i + 1;
            while (e < n && IsParamNameChar(s[e])) ++e;
            if (DoCreate && Params) Params->Add(std::string(s.substr(i, e - i)));
            out += '?';
            i = e;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

bool IsSelectSQL(std::string_view SQL) {
    return UpperCase(Trim(SQL)).starts_with("SELECT");
}

// ---------------------------------------------------------------------------
// Queries

std::string SQLLinesText(const std::vector<std::string>& aLines) {
    std::string r;
    for (std::size_t i = 0; i < aLines.size(); ++i) {
        if (i) r += CRLF;
        r += aLines[i];
    }
    return r;
}

TKRVQuery::TKRVQuery(TComponent* AOwner) : TComponent(AOwner) {}

void TKRVQuery::SetConnection(TKRVCustomConnection* aConnection) {
    if (fConnection) RemoveFreeNotification(fConnection);
    fConnection = aConnection;
    FreeNotification(aConnection);
}

void TKRVQuery::SetDatabase(TKRVDatabase* aDatabase) {
    if (fDatabase) RemoveFreeNotification(fDatabase);
    fDatabase = aDatabase;
    FreeNotification(aDatabase);
}

void TKRVQuery::SetSQLText(const std::string& aText) {
    if (auto* sql = GetSQL()) {
        sql->clear();
        sql->push_back(aText);
    }
}

std::string TKRVQuery::GetSQLText() {
    auto* sql = GetSQL();
    return sql ? SQLLinesText(*sql) : std::string();
}

void TKRVQuery::Notification(TComponent* aComponent, TOperation aOperation) {
    TComponent::Notification(aComponent, aOperation);
    if (aOperation != opRemove) return;
    if (aComponent == fDatabase) fDatabase = nullptr;
    if (aComponent == fConnection) fConnection = nullptr;
}

TKRVParams* TKRVDataSetQuery::GetParams() {
    SyncParams();
    return &fParams;
}

std::string TKRVDataSetQuery::ParseMarkers(TKRVParams* aParams, const std::string& aSQL) {
    return ParamsParseSQL(aParams, aSQL, true,
                          GetConnection() ? GetConnection()->GetDatabaseType() : dbAbstract);
}

void TKRVDataSetQuery::SyncParams() {
    std::string text = SQLLinesText(fSQL);
    if (fParsed && text == fParsedSQL) return;
    if (!fParamCheck) fParams.Clear();
    fPreparedText = fParamCheck ? ParseMarkers(&fParams, text) : text;
    fParsedSQL = std::move(text);
    fParsed = true;
}

const std::string& TKRVDataSetQuery::PreparedText() {
    SyncParams();
    return fPreparedText;
}

void TKRVDataSetQuery::Prepare() { SyncParams(); }

void TKRVDataSetQuery::Open() {
    Close();
    SyncParams();
    fFields.Clear();
    fRowNo = 0;
    const bool rows = DoExecute(fPreparedText, fParams);
    fActive = true;
    fEof = !rows || !DoFetch(fFields);
}

void TKRVDataSetQuery::ExecSQL() {
    Close();
    SyncParams();
    fFields.Clear();
    DoExecute(fPreparedText, fParams);
    DoClose();
}

void TKRVDataSetQuery::Close() {
    if (fActive) {
        fActive = false;
        DoClose();
    }
    fEof = true;
}

void TKRVDataSetQuery::Next() {
    if (!fActive || fEof) return;
    fEof = !DoFetch(fFields);
    ++fRowNo;
}

void TKRVDataSetQuery::First() {
    if (fActive && fRowNo == 0) return;
    Open();
}

void TKRVDataSetQuery::Last() {
    if (!fActive || fEof) return;
    TKRVFields last = fFields;
    for (;;) {
        Next();
        if (fEof) break;
        last = fFields;
    }
    fFields = std::move(last);
}

TKRVField* TKRVDataSetQuery::FieldByName(const std::string& aName) {
    if (TKRVField* f = fFields.FindField(aName)) return f;
    throw EKrvError("Field '" + aName + "' not found");
}

TKRVParam* TKRVDataSetQuery::ParamByName(const std::string& aName) {
    SyncParams();
    if (TKRVParam* p = fParams.FindParam(aName)) return p;
    throw EKrvError("Parameter '" + aName + "' not found");
}

// ---------------------------------------------------------------------------
// Connection component

namespace {

std::string ClassNameOf(const TObject& aObject) {
    const char* mangled = typeid(aObject).name();
    int status = 0;
    char* d = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string r = status == 0 && d ? d : mangled;
    std::free(d);
    if (auto p = r.rfind("::"); p != std::string::npos) r.erase(0, p + 2);
    return r;
}

std::string QuotedText(const std::string& s) {
    std::string r = "'";
    for (char c : s) {
        if (c == '\'') r += '\'';
        r += c;
    }
    return r + "'";
}

// A character set or schema name that may stand unquoted in a statement.
bool IsPlainName(const std::string& s) {
    if (s.empty() || !(IsAsciiLetter(s[0]) || s[0] == '_')) return false;
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return IsAsciiLetter(c) || IsDigit(c) || c == '_' || c == '$' || c == '#'; });
}

}  // namespace

TKRVCustomConnection::TKRVCustomConnection(TComponent* AOwner) : TComponent(AOwner) {}

void TKRVCustomConnection::DoBeforeConnect() {
    std::string cs = GetDBConnectionString();
    if (!cs.empty()) DoLogNextLine("Connect to: " + QuotedText(cs) + "...");
    if (OnBeforeConnect) OnBeforeConnect(this);
}

void TKRVCustomConnection::DoBeforeDisconnect() {
    if (OnBeforeDisconnect) OnBeforeDisconnect(this);
}

void TKRVCustomConnection::DoAfterDisconnect() {
    if (OnAfterDisconnect) OnAfterDisconnect(this);
}

void TKRVCustomConnection::DoAfterConnect() {
    std::string info;
    try {
        info = Trim(TestConnectInfo(true));
    } catch (const std::exception& e) {
        DoErrorMessage(e.what());
    }
    if (!info.empty()) DoLogNextLine("Server version: " + info);
    std::unique_ptr<TKRVQuery> q(CreateQuery(this));
    if (q && fDatabaseType == dbMySQL && GetConnected() && !fMySQLServerOptions.GetCharSet().empty()) {
        // SET NAMES sets the connection character set too, so literals reach the server in
        // the client's character set rather than being converted to the database's.
        const std::string& cs = fMySQLServerOptions.GetCharSet();
        if (!IsPlainName(cs)) {
            DoErrorMessage("Invalid character set name: " + QuotedText(cs));
        } else {
            std::string sql = "SET NAMES " + cs;
            DoLogNextLine(sql);
            q->SetSQLText(sql);
            try {
                q->ExecSQL();
            } catch (const std::exception& e) {
                DoErrorMessage(sql + "\r\n" + e.what());
            }
        }
    }
    if (q && fDatabaseType == dbOracle && GetConnected()) {
        const std::string& db = fConnectionOptions.GetDatabaseName();
        std::string user = UpperCase(fConnectionOptions.GetUserName());
        if (!db.empty() && fConnectionOptions.GetHostName() != db && (user == "SYSTEM" || user == "SYS")) {
            std::string schema = db;
            if (!IsPlainName(db)) {
                schema = "\"";
                for (char c : db) {
                    if (c == '"') schema += '"';
                    schema += c;
                }
                schema += '"';
            }
            std::string sql = "ALTER SESSION SET CURRENT_SCHEMA = " + schema;
            DoLogNextLine(sql);
            if (auto* lines = q->GetSQL()) lines->push_back(sql);
            try {
                q->ExecSQL();
            } catch (const std::exception& e) {
                DoErrorMessage(q->GetSQLText() + "\r\n" + e.what());
            }
        }
    }
    q.reset();
    if (OnAfterConnect) OnAfterConnect(this);
}

bool TKRVCustomConnection::CreateDatabase() {
    std::string msg = "CREATE DATABASE not implemented (" + ClassNameOf(*this) + ").";
    fLastError = msg;
    DoErrorMessage(msg);
    return false;
}

bool TKRVCustomConnection::DropDatabase() {
    std::string msg = "DROP DATABASE not implemented (" + ClassNameOf(*this) + ").";
    fLastError = msg;
    DoErrorMessage(msg);
    return false;
}

void TKRVCustomConnection::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage)
        OnErrorMessage(this, aText);
    else
        ShowMessage(aText);
}

void TKRVCustomConnection::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
}

bool TKRVCustomConnection::Connect() {
    fLastError.clear();
    SetConnected(true);
    return GetConnected();
}

std::string TKRVCustomConnection::GetDBConnectionString() const {
    const TConnectionOptions& o = fConnectionOptions;
    if (fDatabaseType != dbInterBase || o.GetHostName().empty()) return o.GetDatabaseName();
    std::string host = o.GetHostName();
    // An IPv6 address is bracketed so that its colons do not end the host part.
    if (host.find(':') != std::string::npos && host.front() != '[') host = "[" + host + "]";
    switch (o.GetProtocol()) {
    case ptSPX: return host + "@" + o.GetDatabaseName();
    case ptNamedPipe: return "\\\\" + host + "\\" + o.GetDatabaseName();
    default:
        if (o.GetPort() != 0) return host + "/" + std::to_string(o.GetPort()) + ":" + o.GetDatabaseName();
        return host + ":" + o.GetDatabaseName();
    }
}

std::string TKRVCustomConnection::TestConnectInfo(bool aShortVersion) {
    if (!GetConnected()) return {};
    if (fDatabaseType == dbInterBase) {
        const TIBDatabaseOptions& d = fIBServerOptions.GetIBDatabaseOptions();
        if (d.GetServerVersion().empty()) return {};
        std::string r = d.GetServerVersion();
        if (!d.GetServerImplementation().empty()) r += " (" + d.GetServerImplementation() + ")";
        r += CRLF;
        if (!fConnectionOptions.GetClientLibrary().empty())
            r += "Client library: " + fConnectionOptions.GetClientLibrary() + std::string(CRLF);
        if (aShortVersion) return r;
        r += "Database name : " + fConnectionOptions.GetDatabaseName() + std::string(CRLF);
        if (!fIBServerOptions.GetDBCharSet().empty())
            r += "Character set : " + fIBServerOptions.GetDBCharSet() + std::string(CRLF);
        r += "ODS version   : " + std::to_string(d.GetODSMajorVersion()) + "." +
             std::to_string(d.GetODSMinorVersion()) + std::string(CRLF);
        r += "SQL Dialect   : " + std::to_string(d.GetDBSQLDialect()) + std::string(CRLF);
        r += "Sweep interval: " + std::to_string(d.GetSweepInterval()) + std::string(CRLF);
        r += "Page size     : " + std::to_string(d.GetPageSize()) + std::string(CRLF);
        r += std::string("Read-only     : ") + (d.GetReadOnly() ? "True" : "False") + std::string(CRLF);
        r += std::string("Forced writes : ") + (d.GetForcedWrites() ? "On" : "Off") + std::string(CRLF);
        const long long kb = std::llround(static_cast<double>(d.GetNumBuffers()) * d.GetPageSize() / 1024.0);
        r += "Buffers       : " + std::to_string(d.GetNumBuffers()) + " pages (" + std::to_string(kb) +
             " Kb)" + std::string(CRLF);
        return r;
    }
    std::unique_ptr<TKRVQuery> q(CreateQuery(this));
    if (!q) return {};
    std::string r;
    auto open = [&](const std::string& sql) {
        q->Close();
        q->SetSQLText(sql);
        q->Open();
    };
    auto field = [&](const std::string& name) { return q->FieldByName(name)->AsString(); };
    auto first = [&]() {
        TKRVFields* f = q->GetFields();
        return f && f->Count() ? (*f)[0].AsString() : std::string();
    };
    switch (fDatabaseType) {
    case dbSybaseASA:
        if (auto* lines = q->GetSQL()) {
            *lines = {"SELECT", "xp_msver( 'ProductName') PN,", "xp_msver( 'ProductVersion') PV,",
                      "xp_msver( 'CompanyName') CN,", "xp_msver('FileDescription') FD,",
                      "xp_msver('LegalCopyright') LC,", "xp_msver('LegalTrademarks') LT,",
                      "xp_msver('Language') LG"};
            q->Open();
            r = field("PN") + " v." + field("PV");
            if (!aShortVersion)
                r += std::string(CRLF) + field("CN") + std::string(CRLF) + field("FD") + std::string(CRLF) +
                     field("LC") + std::string(CRLF) + field("LT");
        }
        break;
    case dbMySQL:
        open("Select version()");
        if (!q->GetEof()) r = "MySQL " + first();
        break;
    case dbOracle:
        open("select * from v$version");
        while (!q->GetEof()) {
            r += first() + std::string(CRLF);
            q->Next();
        }
        break;
    case dbPostgreSQL:
        open("select version()");
        if (!q->GetEof()) r = first();
        break;
    default: break;
    }
    q->Close();
    return r;
}

void TKRVCustomConnection::Assign(TKRVCustomConnection& Source) {
    SetConnectionType(Source.GetConnectionType());
    SetDatabaseType(Source.GetDatabaseType());
    fConnectionOptions.Assign(Source.fConnectionOptions);
    fIBServerOptions.Assign(Source.fIBServerOptions);
    fMSSQLServerOptions.Assign(Source.fMSSQLServerOptions);
    fMySQLServerOptions.Assign(Source.fMySQLServerOptions);
    fASAServerOptions.Assign(Source.fASAServerOptions);
    fASEServerOptions.Assign(Source.fASEServerOptions);
    fOracleServerOptions.Assign(Source.fOracleServerOptions);
    fPGSQLServerOptions.Assign(Source.fPGSQLServerOptions);
    fDB2ServerOptions.Assign(Source.fDB2ServerOptions);
}

// ---------------------------------------------------------------------------
// Connection kinds

bool TKRVAbstractConnection::Create_Database() {
    DoErrorMessage("CREATE DATABASE not implemented (TKRVAbstractConnection).");
    return false;
}

bool TKRVAbstractConnection::Create_Database(TKRVCustomConnection* aConnection) {
    if (!aConnection) return Create_Database();
    std::string msg = "CREATE DATABASE not implemented (" + ClassNameOf(*this) + ").";
    aConnection->SetLastError(msg);
    aConnection->DoErrorMessage(msg);
    return false;
}

bool TKRVAbstractConnection::Drop_Database(TKRVCustomConnection* aConnection) {
    std::string msg = "DROP DATABASE not implemented (" + ClassNameOf(*this) + ").";
    if (!aConnection) {
        DoErrorMessage(msg);
        return false;
    }
    aConnection->SetLastError(msg);
    aConnection->DoErrorMessage(msg);
    return false;
}

void TKRVAbstractConnection::DoErrorMessage(const std::string& aText) {
    TKRVConnection* owner = fOwnerConnection;
    if (owner && owner->OnErrorMessage)
        owner->OnErrorMessage(this, aText);
    else
        ShowMessage(aText);
}

void TKRVAbstractConnection::Notification(TComponent* aComponent, TOperation aOperation) {
    TComponent::Notification(aComponent, aOperation);
    if (aOperation == opRemove && aComponent == fOwnerConnection) fOwnerConnection = nullptr;
}

// ---------------------------------------------------------------------------
// Registry

namespace {

struct TRegistry {
    std::vector<std::pair<std::string, std::unique_ptr<TKRVAbstractConnection>>> Items;
    ~TRegistry() {
        while (!Items.empty()) Items.pop_back();
    }
};

TRegistry& Registry() {
    static TRegistry r;
    return r;
}

}  // namespace

bool RegisterConnection(const std::string& Name, std::unique_ptr<TKRVAbstractConnection>&& Connection) {
    auto& items = Registry().Items;
    auto it = std::lower_bound(items.begin(), items.end(), Name, [](const auto& e, const std::string& n) {
        return CompareText(e.first, n) < 0;
    });
    if (it != items.end() && CompareText(it->first, Name) == 0) return false;
    items.emplace(it, Name, std::move(Connection));
    return true;
}

bool UnRegisterConnection(const std::string& Name, bool FreeObject) {
    auto& items = Registry().Items;
    for (auto it = items.begin(); it != items.end(); ++it) {
        if (CompareText(it->first, Name) != 0) continue;
        if (!FreeObject) (void)it->second.release();
        items.erase(it);
        return true;
    }
    return false;
}

bool UnRegisterConnection(TconnectionType ConnectionType, bool FreeObject) {
    auto& items = Registry().Items;
    bool removed = false;
    for (std::size_t i = items.size(); i-- > 0;) {
        if (!items[i].second || items[i].second->GetConnectionType() != ConnectionType) continue;
        if (!FreeObject) (void)items[i].second.release();
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
        removed = true;
    }
    return removed;
}

std::vector<std::pair<std::string, TKRVAbstractConnection*>> RegisteredConnections() {
    std::vector<std::pair<std::string, TKRVAbstractConnection*>> r;
    for (auto& [name, kind] : Registry().Items) r.emplace_back(name, kind.get());
    return r;
}

TconnectionType DefConnectionByDatabase(TDatabaseType DatabaseType) {
    switch (DatabaseType) {
    case dbInterBase: return IBConnectionType;
    case dbSybaseASA:
    case dbMSSQL:
    case dbSybaseASE:
    case dbPervasiveSQL:
    case dbMSAccess:
    case dbCustomOLEDB: return cnADO;
    case dbMySQL:
    case dbOracle:
    case dbPostgreSQL:
    case dbDB2: return cnZEOS;
    case dbParadox:
    case dbDBASE: return cnBDE;
    default: return cnAbstract;
    }
}

// ---------------------------------------------------------------------------
// TKRVConnection

TKRVConnection::TKRVConnection(TComponent* AOwner) : TKRVCustomConnection(AOwner) {
    fSupportedDatabases = TDatabaseSetType::FromMask(0x19FE);
    fSupportedConnections = TConnectionSetType::FromMask(0xFDFE);
}

TKRVConnection::~TKRVConnection() {
    // Close the physical connection while this component is still whole.
    if (fDatabase) {
        try {
            fDatabase->SetConnected(false);
        } catch (...) {
        }
        delete fDatabase;
        fDatabase = nullptr;
    }
    if (fConnection) RemoveFreeNotification(fConnection);
}

TDatabaseSetType TKRVConnection::GetSupportedDatabases() { return TDatabaseSetType::FromMask(0x19FE); }
TConnectionSetType TKRVConnection::GetSupportedConnections() { return TConnectionSetType::FromMask(0xFDFE); }

void TKRVConnection::Notification(TComponent* aComponent, TOperation aOperation) {
    TKRVCustomConnection::Notification(aComponent, aOperation);
    if (aOperation != opRemove) return;
    if (aComponent == fDatabase) fDatabase = nullptr;
    if (aComponent == fConnection) fConnection = nullptr;
}

TKRVAbstractConnection* TKRVConnection::FindConnection(TconnectionType aConnectionType) {
    for (auto& [name, kind] : Registry().Items)
        if (kind && kind->GetConnectionType() == aConnectionType) return kind.get();
    return nullptr;
}

std::string TKRVConnection::UnitName(TconnectionType aConnectionType) {
    switch (aConnectionType) {
    case cnIBX: return "krvConnection_IBXDB";
    case cnFIB: return "krvConnection_FIBDB";
    case cnIBO: return "krvConnection_IBODB";
    case cnADO: return "krvConnection_ADODB";
    case cnZEOS: return "krvConnection_ZEOSDB";
    case cnBDE: return "krvConnection_BDEDB";
    case cnDBX: return "krvConnection_DBXDB";
    case cnAnyDAC: return "krvConnection_AnyDACDB";
    case cnODAC: return "krvConnection_ODACDB";
    case cnSAVCL: return "krvConnection_SAVCLDB";
    case cnMyDAC: return "krvConnection_MyDACDB";
    case cnPostgresDAC: return "krvConnection_PGDACDB";
    case cnIBDAC: return "krvConnection_IBDACDB";
    case cnFireDAC: return "krvConnection_FireDACDB";
    default: return "krvConnection_XXXDB";
    }
}

void TKRVConnection::SetDatabaseType(TDatabaseType aValue) {
    fDatabaseType = aValue;
    if (fConnection) fConnection->SetDatabaseType(aValue);
}

void TKRVConnection::SetConnectionType(TconnectionType aValue) {
    if (aValue == fConnectionType) return;
    TKRVAbstractConnection* kind = FindConnection(aValue);
    if (!kind) {
        const std::string unit = UnitName(aValue);
        throw EKrvError("\r\nNot supported connection select.\r\nInclude the unit " + unit +
                        " in your application.\r\nFor example: uses " + unit + ";");
    }
    if (fDatabase) {
        try {
            fDatabase->SetConnected(false);
        } catch (...) {
        }
        delete fDatabase;
        fDatabase = nullptr;
    }
    if (fConnection) RemoveFreeNotification(fConnection);
    fConnection = kind;
    fConnectionType = aValue;
    FreeNotification(kind);
    kind->SetOwnerConnection(this);
    kind->SetDatabaseType(fDatabaseType);
    fDatabase = kind->CreateDatabase(this);
    if (fDatabase) fDatabase->SetConnection(this);
}

bool TKRVConnection::GetConnected() { return fDatabase && fDatabase->GetConnected(); }

void TKRVConnection::SetConnected(bool aValue) {
    if (!fDatabase) {
        if (!aValue) return;
        // Nothing to connect with: say so instead of pretending.
        std::string msg = "No connection kind selected.";
        SetLastError(msg);
        DoErrorMessage(msg);
        return;
    }
    if (aValue == fDatabase->GetConnected()) return;
    SetLastError({});
    if (aValue)
        DoBeforeConnect();
    else
        DoBeforeDisconnect();
    try {
        fDatabase->SetConnected(aValue);
    } catch (const std::exception& e) {
        SetLastError(e.what());
        DoErrorMessage(e.what());
    }
    if (fDatabase && fDatabase->GetConnected())
        DoAfterConnect();
    else
        DoAfterDisconnect();
}

TKRVQuery* TKRVConnection::CreateQuery(TComponent* AOwner) {
    if (!fConnection) return nullptr;
    TKRVQuery* q = fConnection->CreateQuery(AOwner);
    if (q) {
        q->SetConnection(this);
        q->SetDatabase(fDatabase);
    }
    return q;
}

void TKRVConnection::StartTransaction() {
    if (fDatabase) fDatabase->StartTransaction();
}

void TKRVConnection::Commit() {
    if (fDatabase) fDatabase->Commit();
}

void TKRVConnection::Rollback() {
    if (fDatabase) fDatabase->Rollback();
}

bool TKRVConnection::InTransaction() { return fDatabase && fDatabase->InTransaction(); }

bool TKRVConnection::CreateDatabase() {
    if (!fConnection) return false;
    return fConnection->Create_Database(this);
}

bool TKRVConnection::DropDatabase() {
    if (!fConnection) return false;
    return fConnection->Drop_Database(this);
}

void TKRVConnection::ReConnect(const std::string& aCharSet) {
    if (fDatabase) fDatabase->ReConnect(aCharSet);
}

}  // namespace dbtwin
