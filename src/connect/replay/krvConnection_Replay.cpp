#include "connect/replay/krvConnection_Replay.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string_view>

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

constexpr std::pair<TKRVFieldType, const char*> kTypeNames[] = {
    {ftUnknown, "unknown"}, {ftString, "string"}, {ftInteger, "integer"}, {ftFloat, "float"},
    {ftBCD, "bcd"},         {ftDate, "date"},     {ftTime, "time"},       {ftDateTime, "datetime"},
    {ftBlob, "blob"},       {ftMemo, "memo"},     {ftBoolean, "boolean"},
};

constexpr std::pair<TDatabaseType, const char*> kDatabaseNames[] = {
    {dbAbstract, "Abstract"},     {dbInterBase, "InterBase"},       {dbSybaseASA, "SybaseASA"},
    {dbMySQL, "MySQL"},           {dbOracle, "Oracle"},             {dbMSSQL, "MSSQL"},
    {dbPostgreSQL, "PostgreSQL"}, {dbDB2, "DB2"},                   {dbSybaseASE, "SybaseASE"},
    {dbPervasiveSQL, "PervasiveSQL"}, {dbMSAccess, "MSAccess"},     {dbParadox, "Paradox"},
    {dbDBASE, "DBASE"},           {dbCustomOLEDB, "CustomOLEDB"},
};

std::string DatabaseTypeText(TDatabaseType aType) {
    for (const auto& [t, n] : kDatabaseNames)
        if (t == aType) return n;
    return "Abstract";
}

bool DatabaseTypeFromText(std::string_view aText, TDatabaseType& aType) {
    for (const auto& [t, n] : kDatabaseNames)
        if (SameText(n, aText)) {
            aType = t;
            return true;
        }
    return false;
}

// The statement text as entries are keyed: "\r\n" as "\n", blanks at both ends dropped.
std::string KeyText(std::string_view aSQL) {
    std::string r;
    r.reserve(aSQL.size());
    for (std::size_t i = 0; i < aSQL.size(); ++i) {
        if (aSQL[i] == '\r' && i + 1 < aSQL.size() && aSQL[i + 1] == '\n') continue;
        r += aSQL[i];
    }
    return Trim(r);
}

// ---------------------------------------------------------------------------
// JSON text of values

void AppendUtf8(std::string& s, std::uint32_t cp) {
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string JsonString(std::string_view aText) {
    std::string r = "\"";
    for (char c : aText) {
        switch (c) {
        case '"': r += "\\\""; break;
        case '\\': r += "\\\\"; break;
        case '\n': r += "\\n"; break;
        case '\r': r += "\\r"; break;
        case '\t': r += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned char>(c));
                r += buf;
            } else {
                r += c;
            }
        }
    }
    return r + "\"";
}

std::string HexText(std::string_view aBytes) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string r;
    r.reserve(aBytes.size() * 2);
    for (unsigned char c : aBytes) {
        r += digits[c >> 4];
        r += digits[c & 0xF];
    }
    return r;
}

std::string FloatJson(double v) {
    if (std::isnan(v)) return "\"NaN\"";
    if (std::isinf(v)) return v > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// One JSON token read from a line: its kind and, for strings, the decoded text; for numbers
// and words, the text as written.
struct TJsonToken {
    enum Kind { Null, True, False, Number, String } kind = Null;
    std::string text;
};

// Reads the lines of a fixture with the position for messages.
class TReader {
public:
    TReader(std::string aName, int aLine, std::string_view aText)
        : fName(std::move(aName)), fLine(aLine), fText(aText) {}

    [[noreturn]] void Fail(const std::string& aMessage) const {
        throw EKrvError(fName + ":" + std::to_string(fLine) + ": " + aMessage);
    }
    void SkipBlanks() {
        while (fPos < fText.size() && (fText[fPos] == ' ' || fText[fPos] == '\t')) ++fPos;
    }
    bool AtEnd() {
        SkipBlanks();
        return fPos >= fText.size();
    }
    char Peek() {
        SkipBlanks();
        return fPos < fText.size() ? fText[fPos] : '\0';
    }
    void Expect(char c) {
        if (Peek() != c) Fail(std::string("expected '") + c + "' " + Where());
        ++fPos;
    }
    bool Accept(char c) {
        if (Peek() != c) return false;
        ++fPos;
        return true;
    }
    std::string Where() {
        SkipBlanks();
        if (fPos >= fText.size()) return "at the end of the line";
        return "at \"" + std::string(fText.substr(fPos, 20)) + "\"";
    }
    // A word of letters, digits, "_", "$", "#".
    std::string Word() {
        SkipBlanks();
        std::size_t s = fPos;
        while (fPos < fText.size()) {
            const char c = fText[fPos];
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#' ||
                  static_cast<unsigned char>(c) >= 0x80))
                break;
            ++fPos;
        }
        return std::string(fText.substr(s, fPos - s));
    }
    TJsonToken Token() {
        SkipBlanks();
        TJsonToken t;
        if (fPos >= fText.size()) Fail("expected a value at the end of the line");
        const char c = fText[fPos];
        if (c == '"') {
            t.kind = TJsonToken::String;
            t.text = StringBody();
            return t;
        }
        if (c == '-' || (c >= '0' && c <= '9')) {
            std::size_t s = fPos++;
            while (fPos < fText.size() && (std::isdigit(static_cast<unsigned char>(fText[fPos])) ||
                                           std::strchr(".eE+-", fText[fPos])))
                ++fPos;
            t.kind = TJsonToken::Number;
            t.text = std::string(fText.substr(s, fPos - s));
            return t;
        }
        std::string w = Word();
        if (w == "null") t.kind = TJsonToken::Null;
        else if (w == "true") t.kind = TJsonToken::True;
        else if (w == "false") t.kind = TJsonToken::False;
        else Fail("expected a JSON value " + Where());
        return t;
    }

private:
    unsigned Hex4() {
        if (fPos + 4 > fText.size()) Fail("a \\u escape needs four hex digits");
        unsigned v = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = fText[fPos++];
            v <<= 4;
            if (c >= '0' && c <= '9') v |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f') v |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F') v |= static_cast<unsigned>(c - 'A' + 10);
            else Fail("a \\u escape needs four hex digits");
        }
        return v;
    }
    std::string StringBody() {
        ++fPos;  // the opening quote
        std::string r;
        for (;;) {
            if (fPos >= fText.size()) Fail("unterminated string");
            const char c = fText[fPos++];
            if (c == '"') return r;
            if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string (write it as an escape)");
            if (c != '\\') {
                r += c;
                continue;
            }
            if (fPos >= fText.size()) Fail("unterminated string");
            const char e = fText[fPos++];
            switch (e) {
            case '"': r += '"'; break;
            case '\\': r += '\\'; break;
            case '/': r += '/'; break;
            case 'b': r += '\b'; break;
            case 'f': r += '\f'; break;
            case 'n': r += '\n'; break;
            case 'r': r += '\r'; break;
            case 't': r += '\t'; break;
            case 'u': {
                std::uint32_t cp = Hex4();
                if (cp >= 0xD800 && cp < 0xDC00) {
                    if (fPos + 2 > fText.size() || fText[fPos] != '\\' || fText[fPos + 1] != 'u')
                        Fail("a high surrogate must be followed by a low surrogate");
                    fPos += 2;
                    const std::uint32_t lo = Hex4();
                    if (lo < 0xDC00 || lo > 0xDFFF) Fail("a high surrogate must be followed by a low surrogate");
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
                } else if (cp >= 0xDC00 && cp < 0xE000) {
                    Fail("a low surrogate without a high one");
                }
                AppendUtf8(r, cp);
                break;
            }
            default: Fail(std::string("unknown escape \\") + e);
            }
        }
    }

    std::string fName;
    int fLine;
    std::string_view fText;
    std::size_t fPos = 0;
};

bool IsDecimalText(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    return digits > 0 && i == s.size();
}

// The value of a token for a field of that type.
TKRVValue MakeValue(TReader& r, TKRVFieldType aType, const TJsonToken& t) {
    TKRVValue v;
    const std::string typeName = ReplayTypeName(aType);
    auto wrong = [&](const char* expected) {
        r.Fail("a value of type " + typeName + " must be " + expected);
    };
    if (t.kind == TJsonToken::Null) {
        v.Clear(aType);
        return v;
    }
    switch (aType) {
    case ftUnknown: wrong("null"); break;
    case ftString:
    case ftMemo:
        if (t.kind != TJsonToken::String) wrong("a JSON string");
        if (aType == ftString) v.SetString(t.text);
        else v.SetMemo(t.text);
        break;
    case ftBlob: {
        if (t.kind != TJsonToken::String || t.text.size() % 2 != 0) wrong("a string of hex digits, two a byte");
        std::string bytes;
        bytes.reserve(t.text.size() / 2);
        for (std::size_t i = 0; i < t.text.size(); i += 2) {
            unsigned b = 0;
            auto res = std::from_chars(t.text.data() + i, t.text.data() + i + 2, b, 16);
            if (res.ec != std::errc() || res.ptr != t.text.data() + i + 2) wrong("a string of hex digits, two a byte");
            bytes += static_cast<char>(b);
        }
        v.SetBlob(std::move(bytes));
        break;
    }
    case ftInteger: {
        std::int64_t x = 0;
        auto res = std::from_chars(t.text.data(), t.text.data() + t.text.size(), x);
        if (t.kind != TJsonToken::Number || res.ec != std::errc() || res.ptr != t.text.data() + t.text.size())
            wrong("a whole number that fits 64 bits");
        v.SetInteger(x);
        break;
    }
    case ftFloat: {
        if (t.kind == TJsonToken::String) {
            if (t.text == "NaN") v.SetFloat(std::numeric_limits<double>::quiet_NaN());
            else if (t.text == "Infinity") v.SetFloat(std::numeric_limits<double>::infinity());
            else if (t.text == "-Infinity") v.SetFloat(-std::numeric_limits<double>::infinity());
            else wrong("a number, \"NaN\", \"Infinity\" or \"-Infinity\"");
            break;
        }
        double x = 0;
        auto res = std::from_chars(t.text.data(), t.text.data() + t.text.size(), x);
        if (t.kind != TJsonToken::Number || res.ec != std::errc() || res.ptr != t.text.data() + t.text.size())
            wrong("a number");
        v.SetFloat(x);
        break;
    }
    case ftBCD:
        if ((t.kind != TJsonToken::Number && t.kind != TJsonToken::String) || !IsDecimalText(t.text))
            wrong("a decimal number");
        v.SetBCD(t.text);
        break;
    case ftDate:
    case ftTime:
    case ftDateTime:
        if (t.kind != TJsonToken::String) wrong("a date or time string");
        try {
            v.SetDateTime(TKRVDateTime::Parse(t.text), aType);
        } catch (const EKrvError& e) {
            r.Fail(e.what());
        }
        break;
    case ftBoolean:
        if (t.kind != TJsonToken::True && t.kind != TJsonToken::False) wrong("true or false");
        v.SetBoolean(t.kind == TJsonToken::True);
        break;
    }
    return v;
}

TKRVFieldType ReadType(TReader& r) {
    std::string w = r.Word();
    TKRVFieldType t{};
    if (w.empty()) r.Fail("expected a type " + r.Where());
    if (!ReplayTypeFromName(w, t)) r.Fail("unknown type \"" + w + "\"");
    return t;
}

// Two bound values are the same: both NULL, or the same type and value.
bool SameValue(const TKRVValue& a, const TKRVValue& b) {
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull();
    if (a.GetDataType() != b.GetDataType()) return false;
    if (a.GetDataType() == ftFloat) {
        const double x = a.AsFloat(), y = b.AsFloat();
        return x == y ? std::signbit(x) == std::signbit(y) : (std::isnan(x) && std::isnan(y));
    }
    return a.AsBlob() == b.AsBlob();
}

std::string ParamsText(const std::vector<const TKRVValue*>& aValues) {
    if (aValues.empty()) return "no parameters";
    std::string r = "parameters (";
    for (std::size_t i = 0; i < aValues.size(); ++i) {
        if (i) r += ", ";
        r += ReplayParamText(*aValues[i]);
    }
    return r + ")";
}

// The directive a line holds ("query", "params", ...) and the rest after ":"; empty when the
// line is none. A directive is "-- " and a lower-case word, then ":" or the end of the line.
bool Directive(std::string_view aLine, std::string& aWord, std::string_view& aRest) {
    if (!aLine.starts_with("-- ")) return false;
    std::size_t i = 3;
    while (i < aLine.size() && ((aLine[i] >= 'a' && aLine[i] <= 'z') || aLine[i] == '-')) ++i;
    if (i == 3) return false;
    std::string_view rest = aLine.substr(i);
    if (!Trim(rest).empty() && rest[0] != ':') return false;
    aWord = std::string(aLine.substr(3, i - 3));
    aRest = rest.empty() ? rest : rest.substr(1);
    return true;
}

}  // namespace

std::string ReplayTypeName(TKRVFieldType aType) {
    for (const auto& [t, n] : kTypeNames)
        if (t == aType) return n;
    return "unknown";
}

bool ReplayTypeFromName(const std::string& aName, TKRVFieldType& aType) {
    for (const auto& [t, n] : kTypeNames)
        if (aName == n) {
            aType = t;
            return true;
        }
    return false;
}

std::string ReplayCellText(const TKRVValue& aValue) {
    if (aValue.IsNull()) return "null";
    switch (aValue.GetDataType()) {
    case ftInteger: return std::to_string(aValue.AsInteger());
    case ftFloat: return FloatJson(aValue.AsFloat());
    case ftBCD: return IsDecimalText(aValue.AsString()) ? aValue.AsString() : JsonString(aValue.AsString());
    case ftBoolean: return aValue.AsBoolean() ? "true" : "false";
    case ftBlob: return "\"" + HexText(aValue.AsBlob()) + "\"";
    default: return JsonString(aValue.AsString());
    }
}

std::string ReplayParamText(const TKRVValue& aValue) {
    if (aValue.IsNull()) return "null";
    return ReplayTypeName(aValue.GetDataType()) + " " + ReplayCellText(aValue);
}

// ---------------------------------------------------------------------------
// Fixtures

std::shared_ptr<const TReplayFixture> TReplayFixture::Load(const std::string& aPath) {
    if (aPath.empty()) throw EKrvError("No replay fixture named (the connection's database name is empty).");
    std::ifstream in(aPath, std::ios::binary);
    if (!in) throw EKrvError(aPath + ": cannot open the replay fixture: " + std::strerror(errno));
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw EKrvError(aPath + ": cannot read the replay fixture");
    return Parse(text.str(), aPath);
}

std::shared_ptr<const TReplayFixture> TReplayFixture::Parse(const std::string& aText, const std::string& aName) {
    auto fx = std::make_shared<TReplayFixture>();
    fx->fName = aName;
    // Split into lines; "\r\n" and "\n" both end a line.
    std::vector<std::string_view> lines;
    {
        std::string_view s = aText;
        while (!s.empty()) {
            std::size_t e = s.find('\n');
            std::string_view l = s.substr(0, e);
            if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
            lines.push_back(l);
            if (e == std::string_view::npos) break;
            s.remove_prefix(e + 1);
        }
    }
    enum State { Header, InSQL, AfterSQL, AfterParams, InRows, Done } state = Header;
    TReplayEntry entry;
    std::vector<std::string> sqlLines;
    int line = 0;
    bool haveParams = false;
    std::map<std::pair<std::string, std::string>, int> seen;  // (text, params) -> line

    auto finish = [&]() {
        if (state == Header) return;
        TReader r(aName, entry.Line, {});
        if (state == InSQL) r.Fail("the query has no \"-- columns\" or \"-- executed\" line");
        if (state == AfterSQL || state == AfterParams)
            r.Fail("the query has no \"-- columns\" or \"-- executed\" line");
        std::vector<const TKRVValue*> ps;
        for (const auto& p : entry.Params) ps.push_back(&p);
        const std::string key = KeyText(entry.SQL);
        auto [it, fresh] = seen.emplace(std::make_pair(key, ParamsText(ps)), entry.Line);
        if (!fresh)
            r.Fail("the same query with the same parameters is recorded already on line " + std::to_string(it->second));
        fx->fIndex.emplace(key, fx->fEntries.size());
        fx->fEntries.push_back(std::move(entry));
        entry = {};
        state = Header;
    };
    auto endSQL = [&]() {
        while (!sqlLines.empty() && Trim(sqlLines.back()).empty()) sqlLines.pop_back();
        std::string sql;
        for (std::size_t i = 0; i < sqlLines.size(); ++i) {
            if (i) sql += "\n";
            sql += sqlLines[i];
        }
        if (KeyText(sql).empty()) TReader(aName, entry.Line, {}).Fail("the query has no text");
        entry.SQL = std::move(sql);
        sqlLines.clear();
        state = AfterSQL;
    };

    for (std::string_view l : lines) {
        ++line;
        TReader r(aName, line, l);
        std::string word;
        std::string_view rest;
        const bool directive = Directive(l, word, rest);
        if (state == InSQL && !directive) {
            if (!l.empty() && l[0] == '\\') l.remove_prefix(1);
            sqlLines.emplace_back(l);
            continue;
        }
        if (!directive) {
            const std::string t = Trim(l);
            if (t.empty() || t[0] == '#') continue;
            if (t[0] == '[') {
                if (state != InRows) r.Fail("a row outside a result (rows follow a \"-- columns\" line)");
                TReader rr(aName, line, l);
                rr.Expect('[');
                std::vector<TKRVValue> row;
                if (!rr.Accept(']')) {
                    for (;;) {
                        if (row.size() >= entry.ColumnTypes.size())
                            rr.Fail("the row has more values than the " + std::to_string(entry.ColumnTypes.size()) +
                                    " columns");
                        row.push_back(MakeValue(rr, entry.ColumnTypes[row.size()], rr.Token()));
                        if (rr.Accept(']')) break;
                        rr.Expect(',');
                    }
                }
                if (!rr.AtEnd()) rr.Fail("text after the row " + rr.Where());
                if (row.size() != entry.ColumnTypes.size())
                    rr.Fail("the row has " + std::to_string(row.size()) + " values, the result " +
                            std::to_string(entry.ColumnTypes.size()) + " columns");
                entry.Rows.push_back(std::move(row));
                continue;
            }
            r.Fail("unexpected text (a query starts with \"-- query\"; text lines that begin with \"--\" need a \"\\\" before them)");
        }
        TReader d(aName, line, rest);
        if (word == "query") {
            if (state == InSQL) endSQL();
            finish();
            entry.Line = line;
            haveParams = false;
            state = InSQL;
            if (!d.AtEnd()) d.Fail("the query text starts on the next line");
            continue;
        }
        if (word == "database-type" || word == "server-version") {
            if (state != Header || !fx->fEntries.empty() || entry.Line)
                d.Fail("\"-- " + word + "\" belongs before the first query");
            if (word == "database-type") {
                TDatabaseType t{};
                std::string name = Trim(rest);
                if (!DatabaseTypeFromText(name, t)) d.Fail("unknown database type \"" + name + "\"");
                fx->fDatabaseType = DatabaseTypeText(t);
                fx->fDatabaseTypeLine = line;
            } else {
                TJsonToken t = d.Token();
                if (t.kind != TJsonToken::String) d.Fail("the server version is a JSON string");
                if (!d.AtEnd()) d.Fail("text after the server version " + d.Where());
                fx->fServerVersion = t.text;
            }
            continue;
        }
        if (state == InSQL) endSQL();
        if (word == "params") {
            if (state != AfterSQL || haveParams)
                d.Fail(haveParams ? "a second \"-- params\" line" : "\"-- params\" belongs after the query text");
            haveParams = true;
            if (!d.AtEnd()) {
                for (;;) {
                    if (d.Peek() == 'n') {
                        TJsonToken t = d.Token();
                        if (t.kind != TJsonToken::Null) d.Fail("expected a type or null");
                        entry.Params.emplace_back();
                    } else {
                        const TKRVFieldType type = ReadType(d);
                        entry.Params.push_back(MakeValue(d, type, d.Token()));
                    }
                    if (d.AtEnd()) break;
                    d.Expect(',');
                }
            }
            state = AfterParams;
            continue;
        }
        if (word == "columns") {
            if (state != AfterSQL && state != AfterParams)
                d.Fail("\"-- columns\" belongs after the query text (one result a query)");
            entry.HasResult = true;
            if (!d.AtEnd()) {
                for (;;) {
                    std::string name;
                    if (d.Peek() == '"') {
                        name = d.Token().text;
                    } else {
                        name = d.Word();
                        if (name.empty()) d.Fail("expected a column name " + d.Where());
                    }
                    entry.ColumnNames.push_back(name);
                    entry.ColumnTypes.push_back(ReadType(d));
                    if (d.AtEnd()) break;
                    d.Expect(',');
                }
            }
            state = InRows;
            continue;
        }
        if (word == "executed") {
            if (state != AfterSQL && state != AfterParams)
                d.Fail("\"-- executed\" belongs after the query text (one answer a query)");
            if (!d.AtEnd()) {
                TJsonToken t = d.Token();
                std::int64_t n = -1;
                auto res = std::from_chars(t.text.data(), t.text.data() + t.text.size(), n);
                if (t.kind != TJsonToken::Number || res.ec != std::errc() ||
                    res.ptr != t.text.data() + t.text.size() || n < 0)
                    d.Fail("the affected-row count is a whole number of 0 or more");
                if (!d.AtEnd()) d.Fail("text after the affected-row count " + d.Where());
                entry.RowsAffected = n;
            }
            state = Done;
            continue;
        }
        r.Fail("unknown directive \"-- " + word + "\" (a text line that begins with \"--\" needs a \"\\\" before it)");
    }
    if (state == InSQL) endSQL();
    finish();
    return fx;
}

const TReplayEntry& TReplayFixture::Find(const std::string& aSQL, const TKRVParams& aParams) const {
    std::vector<const TKRVValue*> bound;
    for (std::size_t i = 0; i < aParams.Count(); ++i) bound.push_back(&aParams.BoundValue(i));
    const std::string key = KeyText(aSQL);
    auto [b, e] = fIndex.equal_range(key);
    std::string recorded;
    for (auto it = b; it != e; ++it) {
        const TReplayEntry& entry = fEntries[it->second];
        bool same = entry.Params.size() == bound.size();
        for (std::size_t i = 0; same && i < bound.size(); ++i) same = SameValue(entry.Params[i], *bound[i]);
        if (same) return entry;
        std::vector<const TKRVValue*> ps;
        for (const auto& p : entry.Params) ps.push_back(&p);
        recorded += "\n  line " + std::to_string(entry.Line) + ": " + ParamsText(ps);
    }
    std::string msg = "no recorded answer for: " + aSQL + "\nwith " + ParamsText(bound) + " (fixture " + fName + ")";
    if (!recorded.empty()) msg += "\nthe fixture answers this text only with:" + recorded;
    throw EKrvError(msg);
}

// ---------------------------------------------------------------------------
// The kind

namespace {

class TReplayDatabase : public TKRVDatabase {
public:
    using TKRVDatabase::TKRVDatabase;

    bool GetConnected() override { return fFixture != nullptr; }
    void SetConnected(bool aValue) override {
        if (!aValue) {
            fFixture.reset();
            fInTransaction = false;
            return;
        }
        if (fFixture) return;
        TKRVCustomConnection* c = GetConnection();
        if (!c) throw EKrvError("The database handle has no connection.");
        auto fx = TReplayFixture::Load(c->GetConnectionOptions().GetDatabaseName());
        if (!fx->DatabaseTypeName().empty() && fx->DatabaseTypeName() != DatabaseTypeText(c->GetDatabaseType()))
            throw EKrvError(fx->Name() + ":" + std::to_string(fx->DatabaseTypeLine()) +
                            ": the fixture was recorded for " + fx->DatabaseTypeName() +
                            ", the connection is for " + DatabaseTypeText(c->GetDatabaseType()));
        if (c->GetDatabaseType() == dbInterBase) {
            TIBDatabaseOptions info;
            info.SetServerVersion(fx->ServerVersion());
            c->GetIBServerOptions().SetIBDatabaseOptions(info);
        }
        fFixture = std::move(fx);
    }
    void StartTransaction() override {
        Check();
        if (fInTransaction) throw EKrvError("A transaction is already active.");
        fInTransaction = true;
    }
    void Commit() override {
        if (!fInTransaction) throw EKrvError("No active transaction to commit.");
        fInTransaction = false;
    }
    void Rollback() override {
        if (!fInTransaction) throw EKrvError("No active transaction to roll back.");
        fInTransaction = false;
    }
    bool InTransaction() override { return fInTransaction; }
    void ReConnect(const std::string&) override {
        SetConnected(false);
        SetConnected(true);
    }

    void Check() const {
        if (!fFixture) throw EKrvError("Not connected to a database.");
    }
    const std::shared_ptr<const TReplayFixture>& Fixture() const { return fFixture; }

private:
    std::shared_ptr<const TReplayFixture> fFixture;
    bool fInTransaction = false;
};

}  // namespace

bool TKRVReplayQuery::DoExecute(const std::string& aText, const TKRVParams& aParams) {
    auto* db = dynamic_cast<TReplayDatabase*>(GetDatabase());
    if (!db) throw EKrvError("Not connected to a database.");
    db->Check();
    DoClose();
    fRowsAffected = -1;
    const TReplayEntry& e = db->Fixture()->Find(aText, aParams);
    fFixture = db->Fixture();
    fEntry = &e;
    fNext = 0;
    if (!e.HasResult) fRowsAffected = e.RowsAffected;
    return e.HasResult;
}

bool TKRVReplayQuery::DoFetch(TKRVFields& aFields) {
    if (!fEntry || !fEntry->HasResult || fNext >= fEntry->Rows.size()) return false;
    const std::size_t n = fEntry->ColumnNames.size();
    if (aFields.Count() != n) {
        aFields.Clear();
        for (const auto& name : fEntry->ColumnNames) aFields.Add(name);
    }
    const auto& row = fEntry->Rows[fNext++];
    for (std::size_t i = 0; i < n; ++i) static_cast<TKRVValue&>(aFields[i]) = row[i];
    return true;
}

void TKRVReplayQuery::DoClose() {
    fEntry = nullptr;
    fFixture.reset();
    fNext = 0;
}

TKRVReplayConnection::TKRVReplayConnection(TComponent* AOwner) : TKRVAbstractConnection(AOwner) {
    fConnectionType = ReplayConnectionType;
    fSupportedDatabases = {dbInterBase, dbSybaseASA, dbMySQL,     dbOracle,
                           dbMSSQL,     dbPostgreSQL, dbDB2,      dbSybaseASE};
}

TKRVDatabase* TKRVReplayConnection::CreateDatabase(TComponent* AOwner) { return new TReplayDatabase(AOwner); }

TKRVQuery* TKRVReplayConnection::CreateQuery(TComponent* AOwner) { return new TKRVReplayQuery(AOwner); }

bool RegisterReplayConnection() {
    return RegisterConnection(ReplayConnectionName, std::make_unique<TKRVReplayConnection>());
}

// ---------------------------------------------------------------------------
// Recording

namespace {

bool IsBareName(std::string_view s) {
    if (s.empty() || !(std::isalpha(static_cast<unsigned char>(s[0])) || s[0] == '_')) return false;
    for (char c : s)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || c == '#')) return false;
    return !(s == "null" || s == "true" || s == "false");
}

// A query that runs on a real connection and hands what it did to the recorder. It reads a
// result whole when it runs, so the recorded rows do not depend on how far the caller reads.
class TRecordingQuery : public TKRVDataSetQuery {
public:
    TRecordingQuery(TKRVReplayRecorder& aRecorder, TKRVCustomConnection& aSource)
        : TKRVDataSetQuery(nullptr), fRecorder(aRecorder), fSource(aSource) {
        SetConnection(&aSource);
    }
    ~TRecordingQuery() override { Close(); }
    void Open() override {
        fExecute = false;
        TKRVDataSetQuery::Open();
    }
    void ExecSQL() override {
        fExecute = true;
        TKRVDataSetQuery::ExecSQL();
    }

protected:
    bool DoExecute(const std::string& aText, const TKRVParams& aParams) override {
        fEntry = {};
        fNext = 0;
        std::unique_ptr<TKRVQuery> q(fSource.CreateQuery(nullptr));
        if (!q || !q->GetSQL()) throw EKrvError("The recorded connection makes no queries.");
        q->SetParamCheck(GetParamCheck());
        *q->GetSQL() = *GetSQL();
        if (GetParamCheck()) {
            TKRVParams* in = q->GetParams();
            if (!in || in->Count() != aParams.Count())
                throw EKrvError("The recorded connection reads other parameters from: " + aText);
            for (std::size_t i = 0; i < aParams.Count(); ++i)
                static_cast<TKRVValue&>((*in)[i]) = static_cast<const TKRVValue&>(aParams[i]);
        }
        TReplayEntry e;
        e.SQL = aText;
        for (std::size_t i = 0; i < aParams.Count(); ++i) e.Params.push_back(aParams.BoundValue(i));
        if (fExecute) {
            q->ExecSQL();
        } else {
            e.HasResult = true;
            q->Open();
            while (!q->GetEof()) {
                TKRVFields& f = *q->GetFields();
                if (e.Rows.empty()) {
                    for (std::size_t i = 0; i < f.Count(); ++i) {
                        e.ColumnNames.push_back(f[i].GetFieldName());
                        e.ColumnTypes.push_back(ftUnknown);
                    }
                }
                if (f.Count() != e.ColumnNames.size())
                    throw EKrvError("The number of columns changed while reading: " + aText);
                std::vector<TKRVValue> row;
                for (std::size_t i = 0; i < f.Count(); ++i) {
                    const TKRVValue& v = f[i];
                    TKRVFieldType& t = e.ColumnTypes[i];
                    if (t == ftUnknown) t = v.GetDataType();
                    if (!v.IsNull() && v.GetDataType() != t)
                        throw EKrvError("Column " + e.ColumnNames[i] + " holds values of two types (" +
                                        ReplayTypeName(t) + ", " + ReplayTypeName(v.GetDataType()) +
                                        ") in: " + aText);
                    row.push_back(v);
                }
                e.Rows.push_back(std::move(row));
                q->Next();
            }
            q->Close();
        }
        fEntry = e;
        fRecorder.Add(std::move(e));
        return fEntry.HasResult;
    }
    bool DoFetch(TKRVFields& aFields) override {
        if (fNext >= fEntry.Rows.size()) return false;
        if (aFields.Count() != fEntry.ColumnNames.size()) {
            aFields.Clear();
            for (const auto& n : fEntry.ColumnNames) aFields.Add(n);
        }
        const auto& row = fEntry.Rows[fNext++];
        for (std::size_t i = 0; i < row.size(); ++i) static_cast<TKRVValue&>(aFields[i]) = row[i];
        return true;
    }
    void DoClose() override { fNext = 0; }

private:
    TKRVReplayRecorder& fRecorder;
    TKRVCustomConnection& fSource;
    bool fExecute = false;
    TReplayEntry fEntry;
    std::size_t fNext = 0;
};

}  // namespace

TKRVReplayRecorder::TKRVReplayRecorder(TKRVCustomConnection& aSource) : fSource(aSource) {}

TKRVReplayRecorder::~TKRVReplayRecorder() = default;

std::unique_ptr<TKRVQuery> TKRVReplayRecorder::CreateQuery() {
    return std::make_unique<TRecordingQuery>(*this, fSource);
}

void TKRVReplayRecorder::Add(TReplayEntry aEntry) { fEntries.push_back(std::move(aEntry)); }

std::string TKRVReplayRecorder::Text() const {
    std::string r = "# Replay fixture recorded from a live connection.\n";
    r += "-- database-type: " + DatabaseTypeText(fSource.GetDatabaseType()) + "\n";
    const std::string& version = fSource.GetIBServerOptions().GetIBDatabaseOptions().GetServerVersion();
    if (fSource.GetDatabaseType() == dbInterBase && !version.empty())
        r += "-- server-version: " + JsonString(version) + "\n";
    std::map<std::pair<std::string, std::string>, bool> written;
    for (const TReplayEntry& e : fEntries) {
        std::vector<const TKRVValue*> ps;
        for (const auto& p : e.Params) ps.push_back(&p);
        if (!written.emplace(std::make_pair(KeyText(e.SQL), ParamsText(ps)), true).second) continue;
        r += "\n-- query\n";
        std::string_view sql = e.SQL;
        for (;;) {
            std::size_t nl = sql.find('\n');
            std::string_view l = sql.substr(0, nl);
            if (!l.empty() && l.back() == '\r') l.remove_suffix(1);
            if (l.starts_with("--") || l.starts_with("\\")) r += "\\";
            r.append(l);
            r += "\n";
            if (nl == std::string_view::npos) break;
            sql.remove_prefix(nl + 1);
        }
        if (!e.Params.empty()) {
            r += "-- params: ";
            for (std::size_t i = 0; i < e.Params.size(); ++i) {
                if (i) r += ", ";
                r += ReplayParamText(e.Params[i]);
            }
            r += "\n";
        }
        if (!e.HasResult) {
            r += "-- executed";
            if (e.RowsAffected >= 0) r += ": " + std::to_string(e.RowsAffected);
            r += "\n";
            continue;
        }
        r += "-- columns:";
        for (std::size_t i = 0; i < e.ColumnNames.size(); ++i) {
            r += i ? ", " : " ";
            r += IsBareName(e.ColumnNames[i]) ? e.ColumnNames[i] : JsonString(e.ColumnNames[i]);
            r += " " + ReplayTypeName(e.ColumnTypes[i]);
        }
        r += "\n";
        for (const auto& row : e.Rows) {
            r += "[";
            for (std::size_t i = 0; i < row.size(); ++i) {
                if (i) r += ", ";
                r += ReplayCellText(row[i]);
            }
            r += "]\n";
        }
    }
    return r;
}

void TKRVReplayRecorder::Save(const std::string& aPath) const {
    const std::string text = Text();
    std::ofstream out(aPath, std::ios::binary | std::ios::trunc);
    if (!out) throw EKrvError(aPath + ": cannot write the replay fixture: " + std::strerror(errno));
    out << text;
    out.flush();
    if (!out) throw EKrvError(aPath + ": cannot write the replay fixture");
}

}  // namespace dbtwin
