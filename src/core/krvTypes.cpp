#include "core/krvTypes.h"

#include <iconv.h>

#include <cerrno>
#include <charconv>
#include <mutex>

#include "core/krvDialect.h"
#include "core/krvStrUtils.h"

namespace dbtwin {

const char* const StatTypeStr[EnumCount<TStatType>] = {
    "Connect", "ReConnect", "CreateDb", "Set", "BlobFile", "Commit", "Statement",
    "Comment", "Procedure", "Trigger", "SetNames", "CharSet", "SqlDialect", "Description",
    "Select", "Insert", "Update", "Delete", "ExecuteBlock", "Package"};

std::atomic<bool> DebugLog{false};
std::atomic<bool> TerminateRunning{false};

// ---------------------------------------------------------------------------
// Option records

std::string TTableSpace::Def() const {
    std::string r;
    if (PctFree != 0) r += "   pctfree " + std::to_string(PctFree) + "\r\n";
    if (PctUsed != 0) r += "   pctused " + std::to_string(PctUsed) + "\r\n";
    if (IniTrans != 0) r += "   initrans " + std::to_string(IniTrans) + "\r\n";
    if (MaxTrans != 0) r += "   maxtrans " + std::to_string(MaxTrans) + "\r\n";
    if (!Storage.empty()) r += "   storage\r\n" + Storage;
    if (!Cache.empty()) r += "   " + Cache + "\r\n";
    return Trim(r);
}

void TTableSpace::Clear() {
    PctFree = PctUsed = IniTrans = MaxTrans = 0;
    Storage.clear();
}

bool TTableSpace::IsEmpty() const {
    return PctFree == 0 && PctUsed == 0 && IniTrans == 0 && MaxTrans == 0 && Storage.empty();
}

namespace {
template <typename T>
void FillGaps(T& mine, T& theirs, const T& none) {
    if (mine == none && theirs != none) mine = theirs;
    if (theirs == none && mine != none) theirs = mine;
}
}  // namespace

void TTableSpace::AssignDiffs(TTableSpace& other) {
    FillGaps(PctFree, other.PctFree, 0);
    FillGaps(PctUsed, other.PctUsed, 0);
    FillGaps(IniTrans, other.IniTrans, 0);
    FillGaps(MaxTrans, other.MaxTrans, 0);
    FillGaps(Storage, other.Storage, TRareString());
}

std::string TTypeDirective::Def() const {
    std::string r;
    if (Overriding) r += "OVERRIDING ";
    if (NotInstantiable) r += "NOT INSTANTIABLE ";
    if (NotFinal) r += "NOT FINAL ";
    if (Instantiable) r += "INSTANTIABLE ";
    if (Final) r += "FINAL ";
    return r;
}

std::string TIndexOptions::Def() const {
    std::string r;
    if (PadIndex) r += "PAD_INDEX = ON, ";
    if (FillFactor != 0) r += "FILLFACTOR = " + std::to_string(FillFactor) + ", ";
    if (IgnoreDupKey) r += "IGNORE_DUP_KEY = ON, ";
    if (StatisticsNorecompute) r += "STATISTICS_NORECOMPUTE = ON, ";
    if (AllowRowLocks) r += "ALLOW_ROW_LOCKS = ON, ";
    if (AllowPageLocks) r += "ALLOW_PAGE_LOCKS = ON, ";
    if (SortInTempDb) r += "SORT_IN_TEMPDB = ON, ";
    if (Online) r += "ONLINE = ON, ";
    if (MaxDop != 0) r += "MAXDOP = " + std::to_string(MaxDop) + ", ";
    if (!r.empty()) {
        r.resize(r.size() - 2);
        r = "(" + r + ")";
    }
    return r;
}

void TIndexOptions::Clear() {
    PadIndex = false;
    FillFactor = 0;
    IgnoreDupKey = false;
    StatisticsNorecompute = false;
    AllowRowLocks = false;
    AllowPageLocks = false;
    SortInTempDb = false;
    Online = false;
    MaxDop = 0;
}

std::string TFullTextIndexOptions::Def() const {
    std::string r;
    if (!ChangeTracking.empty()) {
        r += "CHANGE TRACKING = " + ChangeTracking;
        if (NoPopulation) r += " , NO POPULATION";
    }
    std::string stop;
    if (StoplistOff) stop = "STOPLIST = OFF";
    else if (StoplistSys) stop = " STOPLIST = SYSTEM";
    else if (!StopListName.empty()) stop = " STOPLIST = " + StopListName;
    if (!stop.empty()) {
        if (!r.empty()) r += ", ";
        r += stop;
    }
    if (!SearchPropertyList.empty()) {
        if (!r.empty()) r += ", ";
        r += " SEARCH PROPERTY LIST = " + SearchPropertyList;
    }
    if (!r.empty()) r = "(" + r + ")";
    return r;
}

void TFullTextIndexOptions::Clear() { *this = TFullTextIndexOptions(); }

// ---------------------------------------------------------------------------
// Text helpers

std::string GenScriptTerm(TDatabaseType aDatabaseType) { return DialectTraits(aDatabaseType).StatementTerm; }

namespace {

std::string MySQLQuotedStr(std::string_view s) {
    std::string r = "'";
    for (char c : s) {
        switch (c) {
            case '"': r += "\\\""; break;
            case '\'': r += "\\'"; break;
            case '\\': r += "\\\\"; break;
            case '\r': r += "\\r"; break;
            case '\n': r += "\\n"; break;
            case '\b': r += "\\b"; break;
            // MySQL's escape for character 26 is upper-case \Z (\z would read as "z").
            case '\x1A': r += "\\Z"; break;
            case '\t': r += "\\t"; break;
            case '\0': r += "\\0"; break;
            default: r += c;
        }
    }
    r += '\'';
    return r;
}

// PostgreSQL reads backslash escapes only in E'...' literals (standard_conforming_strings
// is on by default), so a text holding a backslash or a control character is written as an
// escape-string literal; every other text is a plain literal with doubled quotes.
std::string PGSQLQuotedStr(std::string_view s) {
    bool needEscape = false;
    for (char c : s)
        if (c == '\\' || c == '\b' || c == '\t' || c == '\0') needEscape = true;
    std::string r = needEscape ? "E'" : "'";
    for (char c : s) {
        switch (c) {
            case '\'': r += "''"; break;
            case '\\': r += "\\\\"; break;
            case '\b': r += "\\b"; break;
            case '\t': r += "\\t"; break;
            case '\0': r += "\\x00"; break;
            default: r += c;
        }
    }
    r += '\'';
    return r;
}

}  // namespace

std::string ScriptQuotedStr(std::string_view aText, TDatabaseType aDatabaseType) {
    switch (aDatabaseType) {
        case dbMySQL:
            return MySQLQuotedStr(aText);
        case dbPostgreSQL:
            return PGSQLQuotedStr(aText);
        default:
            return "'" + ReplaceAll(aText, "'", "''") + "'";
    }
}

std::string SchObjName(std::string_view aSchema, std::string_view aName) {
    if (aSchema.empty()) return std::string(aName);
    std::string r(aSchema);
    r += '.';
    r += aName;
    return r;
}

namespace {
template <typename Int>
bool ParseDecimal(std::string_view s, Int& value) {
    value = 0;
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    s.remove_prefix(i);
    if (!s.empty() && s[0] == '+') {
        s.remove_prefix(1);
        if (!s.empty() && s[0] == '-') return false;
    }
    if (s.empty()) return false;
    Int v = 0;
    auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
    if (ec != std::errc() || ptr != s.data() + s.size()) return false;
    value = v;
    return true;
}
}  // namespace

bool TryStrToInt(std::string_view aText, std::int32_t& aValue) { return ParseDecimal(aText, aValue); }
bool TryStrToInt(std::string_view aText, std::int64_t& aValue) { return ParseDecimal(aText, aValue); }

std::string ValidateFileName(std::string_view aText) {
    std::string r(aText);
    for (char& c : r) {
        switch (c) {
            case '"': case '*': case '+': case '/': case ':': case ';': case '<': case '=':
            case '>': case '?': case '\\': case '|':
                c = ' ';
                break;
            default:
                break;
        }
    }
    return r;
}

// ---------------------------------------------------------------------------
// Encodings

namespace {

std::mutex gAnsiNameMutex;
std::string gAnsiCodePage = "WINDOWS-1252";
std::atomic<TkrvEncoding*> gAnsiEncoding{nullptr};

const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kUtf16LeBom = "\xFF\xFE";
const std::string kUtf16BeBom = "\xFE\xFF";

// Converts with iconv. Input that cannot be converted is replaced: by '?' (encoding to
// a code page) or U+FFFD (decoding); a truncated tail is replaced the same way.
std::string IconvConvert(const std::string& from, const std::string& to, std::string_view in,
                         bool toUtf8) {
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw EKrvError("Text encoding not available: " + (toUtf8 ? from : to));
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* inPtr = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    std::size_t used = 0;
    while (inLeft > 0) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: replace one input unit and go on.
        std::string repl = toUtf8 ? std::string("\xEF\xBF\xBD") : std::string("?");
        if (!toUtf8) {
            // Skip one whole UTF-8 character of the input.
            std::size_t n = 1;
            while (n < inLeft && (static_cast<unsigned char>(inPtr[n]) & 0xC0) == 0x80) ++n;
            inPtr += n;
            inLeft -= n;
        } else {
            std::size_t unit = (from.rfind("UTF-16", 0) == 0) ? 2 : 1;
            if (unit > inLeft) unit = inLeft;
            inPtr += unit;
            inLeft -= unit;
        }
        if (out.size() - used < repl.size()) out.resize(out.size() * 2 + repl.size());
        out.replace(used, repl.size(), repl);
        used += repl.size();
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Flush a pending shift state (UTF-7 closes its base64 run here).
    for (;;) {
        char* outPtr = out.data() + used;
        std::size_t outLeft = out.size() - used;
        std::size_t rc = iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        used = out.size() - outLeft;
        if (rc == static_cast<std::size_t>(-1) && errno == E2BIG) {
            out.resize(out.size() * 2 + 8);
            continue;
        }
        break;
    }
    iconv_close(cd);
    out.resize(used);
    return out;
}

}  // namespace

TkrvEncoding::TkrvEncoding(std::string aCharset, std::string aPreamble)
    : fCharset(std::move(aCharset)), fPreamble(std::move(aPreamble)) {}

std::string TkrvEncoding::GetBytes(std::string_view aText) const {
    if (fCharset == "UTF-8") {
        if (IsValidUtf8(aText)) return std::string(aText);
        return Utf8Encode(Utf8Decode(aText));
    }
    return IconvConvert("UTF-8", fCharset, aText, false);
}

std::string TkrvEncoding::GetString(std::string_view aBytes) const {
    if (fCharset == "UTF-8") {
        if (IsValidUtf8(aBytes)) return std::string(aBytes);
        return Utf8Encode(Utf8Decode(aBytes));
    }
    return IconvConvert(fCharset, "UTF-8", aBytes, true);
}

const TkrvEncoding& TkrvEncoding::krvGetEncoding(TkrvEncode aEncode) {
    static const TkrvEncoding utf16le("UTF-16LE", kUtf16LeBom);
    static const TkrvEncoding utf16be("UTF-16BE", kUtf16BeBom);
    static const TkrvEncoding utf8("UTF-8", kUtf8Bom);
    static const TkrvEncoding utf7("UTF-7");
    switch (aEncode) {
        case encUnicode: return utf16le;
        case encBigEndianUnicode: return utf16be;
        case encUTF8: return utf8;
        case encUTF7: return utf7;
        default: break;
    }
    // The ANSI code-page encoding is created on first use and published atomically; a
    // caller that loses the race frees its own instance.
    TkrvEncoding* cur = gAnsiEncoding.load(std::memory_order_acquire);
    if (cur) return *cur;
    auto* mine = new TkrvEncoding(GetAnsiCodePage());
    TkrvEncoding* expected = nullptr;
    if (gAnsiEncoding.compare_exchange_strong(expected, mine, std::memory_order_acq_rel)) return *mine;
    delete mine;
    return *expected;
}

std::string TkrvEncoding::krvGetBytes(std::string_view aValue, TkrvEncode aEncode) {
    return krvGetEncoding(aEncode).GetBytes(aValue);
}

void TkrvEncoding::FreeEncodings() { delete gAnsiEncoding.exchange(nullptr); }

void TkrvEncoding::SetAnsiCodePage(const std::string& aCodePage) {
    std::lock_guard<std::mutex> lock(gAnsiNameMutex);
    gAnsiCodePage = aCodePage;
}

std::string TkrvEncoding::GetAnsiCodePage() {
    std::lock_guard<std::mutex> lock(gAnsiNameMutex);
    return gAnsiCodePage;
}

std::string TkrvEncoding::DecodeFileBytes(std::string_view aBytes) {
    if (aBytes.substr(0, 3) == kUtf8Bom) return krvGetEncoding(encUTF8).GetString(aBytes.substr(3));
    if (aBytes.substr(0, 2) == kUtf16LeBom)
        return krvGetEncoding(encUnicode).GetString(aBytes.substr(2));
    if (aBytes.substr(0, 2) == kUtf16BeBom)
        return krvGetEncoding(encBigEndianUnicode).GetString(aBytes.substr(2));
    // Scripts on this platform are mostly UTF-8 without a mark: reading them in a
    // single-byte code page would garble every non-ASCII character.
    if (IsValidUtf8(aBytes)) return std::string(aBytes);
    return krvGetEncoding(encANSI).GetString(aBytes);
}

}  // namespace dbtwin
