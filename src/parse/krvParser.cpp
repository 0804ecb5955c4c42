#include "parse/krvParser.h"

#include <cxxabi.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <typeinfo>

#include "core/krvMsg.h"
#include "core/krvStrUtils.h"
#include "model/krvClasses.h"
#include "model/krvCustomDBStructure.h"
#include "objects/krvCompColumn.h"

namespace dbtwin {

// ---------------------------------------------------------------------------
// Text helpers

namespace {

constexpr bool IsDigit(char32_t c) { return c >= '0' && c <= '9'; }
constexpr bool IsAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Line breaks of a text: CR LF, LF and a lone CR count one each.
std::int32_t CountLineBreaks(std::string_view s) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n')
            ++n;
        else if (s[i] == '\r' && (i + 1 >= s.size() || s[i + 1] != '\n'))
            ++n;
    }
    return static_cast<std::int32_t>(std::min<std::int64_t>(n, INT32_MAX));
}

void UpperAsciiInPlace(std::string& s) {
    bool ascii = true;
    for (char& c : s) {
        if (static_cast<unsigned char>(c) >= 0x80)
            ascii = false;
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    if (!ascii) s = UpperCase(s);
}

// Ordinal comparison after upper-casing; ASCII words without allocating.
int CompareWordsCI(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if ((x | y) & 0x80) return CompareText(a, b);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string OpenErrorText(const std::string& aFileName, int aErrno) {
    return "Cannot open file \"" + aFileName + "\". " + std::strerror(aErrno);
}

std::string ReadFileBytes(const std::string& aFileName) {
    const int fd = ::open(aFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EKrvError(OpenErrorText(aFileName, errno));
    std::string bytes;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0)
        bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0) {
            if (errno == EINTR) continue;
            const int err = errno;
            ::close(fd);
            throw EKrvError(OpenErrorText(aFileName, err));
        }
        if (r == 0) break;
        bytes.append(buf, static_cast<std::size_t>(r));
    }
    ::close(fd);
    return bytes;
}

const std::string kUtf8Bom = "\xEF\xBB\xBF";
const std::string kUtf16LeBom = "\xFF\xFE";
const std::string kUtf16BeBom = "\xFE\xFF";

// How the bytes of a script are turned into UTF-8: the decision of
// TkrvEncoding::DecodeFileBytes, made without converting anything.
enum class TSourceCoding { Utf8, Utf8Repair, Utf16LE, Utf16BE, Ansi };

TSourceCoding DetectCoding(std::string_view aBytes, std::size_t& aSkip) {
    aSkip = 0;
    if (aBytes.starts_with(kUtf8Bom)) {
        aSkip = 3;
        return IsValidUtf8(aBytes.substr(3)) ? TSourceCoding::Utf8 : TSourceCoding::Utf8Repair;
    }
    if (aBytes.starts_with(kUtf16LeBom)) {
        aSkip = 2;
        return TSourceCoding::Utf16LE;
    }
    if (aBytes.starts_with(kUtf16BeBom)) {
        aSkip = 2;
        return TSourceCoding::Utf16BE;
    }
    return IsValidUtf8(aBytes) ? TSourceCoding::Utf8 : TSourceCoding::Ansi;
}

// The bytes of a script as UTF-8 text. Valid UTF-8 without a mark is taken as it is.
std::string DecodeScriptBytes(std::string&& aBytes) {
    std::size_t skip;
    if (DetectCoding(aBytes, skip) == TSourceCoding::Utf8) {
        aBytes.erase(0, skip);
        return std::move(aBytes);
    }
    return TkrvEncoding::DecodeFileBytes(aBytes);
}

}  // namespace

// ---------------------------------------------------------------------------
// Buffers: the text of pb_Memory and pb_File. The scanner reads a string_view of it.

class TParseStream {
public:
    virtual ~TParseStream() = default;
    virtual std::string_view Text() const = 0;
};

namespace {

class TMemoryText final : public TParseStream {
public:
    explicit TMemoryText(std::string aText) : fData(std::move(aText)) {}
    std::string_view Text() const override { return fData; }

private:
    std::string fData;
};

// A read-only mapping of a whole file; the text starts at an offset (after a byte-order
// mark). Owns the descriptor.
class TMappedFile final : public TParseStream {
public:
    TMappedFile(int aFd, const std::string& aName) : fFd(aFd) {
        struct stat st {};
        if (::fstat(fFd, &st) != 0) Fail(aName);
        fSize = static_cast<std::size_t>(st.st_size);
        if (fSize == 0) return;
        void* p = ::mmap(nullptr, fSize, PROT_READ, MAP_PRIVATE, fFd, 0);
        if (p == MAP_FAILED) Fail(aName);
        fAddr = p;
    }
    ~TMappedFile() override {
        if (fAddr) ::munmap(fAddr, fSize);
        if (fFd >= 0) ::close(fFd);
    }
    TMappedFile(const TMappedFile&) = delete;
    TMappedFile& operator=(const TMappedFile&) = delete;

    std::string_view Bytes() const {
        return fAddr ? std::string_view(static_cast<const char*>(fAddr), fSize)
                     : std::string_view();
    }
    void SetOffset(std::size_t aOffset) { fOffset = aOffset; }
    std::string_view Text() const override { return Bytes().substr(std::min(fOffset, fSize)); }

private:
    [[noreturn]] void Fail(const std::string& aName) {
        const int err = errno;
        if (fAddr) ::munmap(fAddr, fSize);
        ::close(fFd);
        fAddr = nullptr;
        fFd = -1;
        throw EKrvError(OpenErrorText(aName, err));
    }

    int fFd;
    void* fAddr = nullptr;
    std::size_t fSize = 0;
    std::size_t fOffset = 0;
};

// Length of the longest prefix of a block that decodes on its own: no character of the
// encoding is split at the end (unless the block is the last one).
std::size_t WholeCharsPrefix(std::string_view aBlock, TSourceCoding aCoding, bool aLast) {
    std::size_t n = aBlock.size();
    if (aLast) return n;
    switch (aCoding) {
        case TSourceCoding::Utf16LE:
        case TSourceCoding::Utf16BE: {
            n &= ~std::size_t{1};
            if (n >= 2) {
                const auto b0 = static_cast<unsigned char>(aBlock[n - 2]);
                const auto b1 = static_cast<unsigned char>(aBlock[n - 1]);
                const unsigned unit =
                    aCoding == TSourceCoding::Utf16LE ? (b1 << 8 | b0) : (b0 << 8 | b1);
                if (unit >= 0xD800 && unit <= 0xDBFF)
                    n -= 2;  // high surrogate: keep the pair whole
            }
            return n;
        }
        case TSourceCoding::Utf8Repair: {
            // Back up to the lead byte of a sequence that may be incomplete.
            for (std::size_t k = 1; k <= 3 && k <= n; ++k) {
                const auto c = static_cast<unsigned char>(aBlock[n - k]);
                if ((c & 0xC0) == 0x80) continue;
                const std::size_t need = (c & 0xE0) == 0xC0   ? 2
                                         : (c & 0xF0) == 0xE0 ? 3
                                         : (c & 0xF8) == 0xF0 ? 4
                                                              : 1;
                if (need > k) return n - k;
                break;
            }
            return n;
        }
        default:
            return n;
    }
}

std::string DecodeBlock(std::string_view aBlock, TSourceCoding aCoding) {
    switch (aCoding) {
        case TSourceCoding::Utf16LE:
            return TkrvEncoding::krvGetEncoding(encUnicode).GetString(aBlock);
        case TSourceCoding::Utf16BE:
            return TkrvEncoding::krvGetEncoding(encBigEndianUnicode).GetString(aBlock);
        case TSourceCoding::Utf8Repair:
            return TkrvEncoding::krvGetEncoding(encUTF8).GetString(aBlock);
        case TSourceCoding::Ansi:
            return TkrvEncoding::krvGetEncoding(encANSI).GetString(aBlock);
        case TSourceCoding::Utf8:
            break;
    }
    return std::string(aBlock);
}

// The text of a script file for pb_File. A UTF-8 file is read through a mapping of the file
// itself; any other file is converted block by block into an unnamed temporary file (gone
// when it is closed), which is then mapped. Memory stays flat whatever the file size. The
// file must not be truncated by another process while it is parsed.
std::unique_ptr<TParseStream> MapScriptFile(const std::string& aFileName) {
    const int fd = ::open(aFileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EKrvError(OpenErrorText(aFileName, errno));
    auto source = std::make_unique<TMappedFile>(fd, aFileName);
    const std::string_view bytes = source->Bytes();
    std::size_t skip;
    const TSourceCoding coding = DetectCoding(bytes, skip);
    if (coding == TSourceCoding::Utf8) {
        source->SetOffset(skip);
        return source;
    }

    std::FILE* tmp = std::tmpfile();
    if (!tmp)
        throw EKrvError("Cannot create a temporary file. " + std::string(std::strerror(errno)));
    constexpr std::size_t kBlock = 1 << 20;
    std::size_t pos = skip;
    bool ok = true;
    while (ok && pos < bytes.size()) {
        const std::size_t take = std::min(kBlock, bytes.size() - pos);
        const bool last = pos + take == bytes.size();
        std::size_t n = WholeCharsPrefix(bytes.substr(pos, take), coding, last);
        if (n == 0) n = take;  // a block of nothing but a split character: let it be replaced
        const std::string text = DecodeBlock(bytes.substr(pos, n), coding);
        ok = std::fwrite(text.data(), 1, text.size(), tmp) == text.size();
        pos += n;
    }
    ok = ok && std::fflush(tmp) == 0;
    const int tfd = ok ? ::dup(::fileno(tmp)) : -1;
    const int err = errno;
    std::fclose(tmp);
    if (tfd < 0)
        throw EKrvError("Cannot write a temporary file. " + std::string(std::strerror(err)));
    source.reset();
    return std::make_unique<TMappedFile>(tfd, aFileName);
}

// Core display words, indexed by code.
constexpr std::array<std::string_view, 30> kCoreWords = {
    "<EOF>",
    "<Ident>",
    "<Float value>",
    "<String value>",
    "<Integer value>",
    "<(>",
    "<)>",
    "<,>",
    "<->",
    "<+>",
    "<*>",
    "</>",
    "<Terminator>",
    "<;>",
    "<=>",
    "<.>",
    "<:>",
    "<||>",
    "\"<\"",
    "\">\"",
    "\"<=\"",
    "\">=\"",
    "[<>]",
    "<==>",
    "<[>",
    "<]>",
    "<@>",
    "\\",
    "%",
    "<&>",
};

// Index of the ")" that closes the "(" at aOpen, skipping quoted parts; npos when none.
std::size_t MatchingParent(std::string_view s, std::size_t aOpen) {
    std::size_t depth = 0;
    for (std::size_t i = aOpen; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            std::size_t j = i + 1;
            while (j < s.size() && s[j] != close) ++j;
            i = j;  // a doubled quote reads as two quoted parts side by side
            continue;
        }
        if (c == '(')
            ++depth;
        else if (c == ')' && --depth == 0)
            return i;
    }
    return std::string_view::npos;
}

// Removes outer "(( ... ))" while both pairs match each other.
std::string RemoveDoubleParents(std::string_view aText) {
    std::string_view s = aText;
    while (s.size() >= 4 && s.starts_with("((") && s.ends_with("))") &&
           MatchingParent(s, 1) == s.size() - 2)
        s = s.substr(1, s.size() - 2);
    return std::string(s);
}

}  // namespace

// ---------------------------------------------------------------------------
// TResWordList

std::size_t TResWordList::LowerBound(std::string_view aWord) const {
    std::size_t lo = 0, hi = fEntries.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        if (CompareWordsCI(fEntries[mid].Word, aWord) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

void TResWordList::AddResWord(std::string_view aWord, TSymbol aSymbol) {
    const std::size_t pos = LowerBound(aWord);
    if (pos < fEntries.size() && CompareWordsCI(fEntries[pos].Word, aWord) == 0) return;
    fEntries.insert(fEntries.begin() + static_cast<std::ptrdiff_t>(pos),
                    TEntry{std::string(aWord), aSymbol});
    fBySymbolValid = false;
}

void TResWordList::Clear() {
    fEntries.clear();
    fBySymbolValid = false;
}

TSymbol TResWordList::GetSymbolByWord(std::string_view aWord) const {
    const std::size_t pos = LowerBound(aWord);
    if (pos < fEntries.size() && CompareWordsCI(fEntries[pos].Word, aWord) == 0)
        return fEntries[pos].Symbol;
    return 0;
}

const std::string& TResWordList::GetWordBySymbol(TSymbol aSymbol) const {
    static const std::string kUnknown = "<\?\?\?>";
    if (!fBySymbolValid) {
        fBySymbol.assign(256, -1);
        for (std::size_t i = 0; i < fEntries.size(); ++i)
            fBySymbol[fEntries[i].Symbol] = static_cast<std::int32_t>(i);
        fBySymbolValid = true;
    }
    const std::int32_t i = fBySymbol[aSymbol];
    return i < 0 ? kUnknown : fEntries[static_cast<std::size_t>(i)].Word;
}

// ---------------------------------------------------------------------------
// TParseContext

TParseContext::TParseContext(TCustomParser* aParser) : fParser(aParser) { SetContext(); }

void TParseContext::SetContext() {
    if (fParser) fParser->SetParseContext(*this);
}

void TParseContext::GotoContext() {
    if (fParser) fParser->GotoParseContext(*this);
}

// ---------------------------------------------------------------------------
// TCustomParser: construction, properties

TCustomParser::TCustomParser(TExtractorLink* aExtractor)
    : TComponent(nullptr),
      IdentCharSet(DefaultIdentCharSet()),
      fExtractor(aExtractor),
      fMsgMngr(std::make_unique<TMsgManager>()),
      fResWordList(std::make_unique<TResWordList>()) {
    if (fExtractor && fExtractor->GetDBStructure()) Objs = fExtractor->GetDBStructure()->GetObjs();
    // The dialect's own BuildResWords is not reachable from here; dialects call it from their
    // constructors.
    TCustomParser::BuildResWords();
    SetTermStr(";");
    fText = fStringBuffer;
}

TCustomParser::~TCustomParser() = default;

TCharSet TCustomParser::DefaultIdentCharSet() {
    TCharSet s;
    s.Include('$').Include('_');
    for (std::uint8_t c = '0'; c <= '9'; ++c) s.Include(c);
    for (std::uint8_t c = 'A'; c <= 'Z'; ++c) s.Include(c);
    for (std::uint8_t c = 'a'; c <= 'z'; ++c) s.Include(c);
    return s;
}

std::string TCustomParser::ClassName() const {
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* demangled = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : mangled;
    std::free(demangled);
    const std::size_t p = name.rfind("::");
    return p == std::string::npos ? name : name.substr(p + 2);
}

void TCustomParser::SetDatabaseType(TDatabaseType aDatabaseType) {
    fDatabaseType = aDatabaseType;
    if (Objs) Objs->SetDatabaseType(aDatabaseType);
}

void TCustomParser::SetTermStr(std::string_view aTermStr) {
    fTermStr = std::string(aTermStr);
    fTermStrLen = static_cast<std::int32_t>(Utf8Length(fTermStr));
}

std::string TCustomParser::GetDbPrefix() const {
    return Objs ? Objs->GetDbPrefix() : std::string();
}

void TCustomParser::BuildResWords() {
    fResWordList->Clear();
    for (std::size_t i = 0; i < kCoreWords.size(); ++i)
        fResWordList->AddResWord(kCoreWords[i], static_cast<TSymbol>(i));
}

const std::string& TCustomParser::ResWordBySymbol(TSymbol aSy) const {
    return fResWordList->GetWordBySymbol(aSy);
}

TSymbol TCustomParser::FindResWord() const {
    const TSymbol sy = fResWordList->GetSymbolByWord(Ident);
    return sy == 0 ? syIdent : sy;
}

std::string TCustomParser::GenTerm() const { return ";"; }

std::string TCustomParser::GenComment(std::string_view aText) const {
    // A "*/" inside would end the comment early and leave the rest as SQL.
    return "/* " + ReplaceAll(aText, "*/", "* /") + " */";
}

void TCustomParser::Link_Depend() {}

// ---------------------------------------------------------------------------
// Loading the text

void TCustomParser::FreeText() {
    fStream.reset();
    fStringBuffer.clear();
    fStringBuffer.shrink_to_fit();
    fText = {};
}

void TCustomParser::ResetPosition() {
    ix = 1;
    chIx = 1;
    Line = 1;
    ChPos = 1;
    ch = 0;
    Sy = syEOF;
    SyBegPos = 1;
    GetChar();
}

void TCustomParser::AssignTxt(std::string aText) {
    FreeText();
    if (fParseBuffer == pb_String) {
        fStringBuffer = std::move(aText);
        fText = fStringBuffer;
    } else {
        fStream = std::make_unique<TMemoryText>(std::move(aText));
        fText = fStream->Text();
    }
    ResetPosition();
}

void TCustomParser::AssignBytes(std::string_view aBytes) {
    AssignTxt(DecodeScriptBytes(std::string(aBytes)));
}

std::string_view TCustomParser::TxtView(std::int64_t aStart, std::int64_t aCount) const {
    if (aStart < 1) aStart = 1;
    const std::int64_t len = LengthTxt();
    if (aCount <= 0 || aStart > len) return {};
    aCount = std::min(aCount, len - aStart + 1);
    return fText.substr(static_cast<std::size_t>(aStart - 1), static_cast<std::size_t>(aCount));
}

std::string TCustomParser::CopyTxt(std::int64_t aStart, std::int64_t aCount) const {
    return std::string(TxtView(aStart, aCount));
}

void TCustomParser::ParseScript(const std::vector<std::string>& aScript, TCustomObjs* aObjs) {
    Objs = aObjs;
    std::size_t size = 0;
    for (const std::string& l : aScript) size += l.size() + 2;
    std::string text;
    text.reserve(size);
    for (const std::string& l : aScript) {
        for (std::size_t i = 0; i < l.size(); ++i) {
            const char c = l[i];
            if (c == '\r') {
                text += CRLF;
                if (i + 1 < l.size() && l[i + 1] == '\n') ++i;
            } else if (c == '\n') {
                text += CRLF;
            } else {
                text += c;
            }
        }
        text += CRLF;
    }
    AssignTxt(std::move(text));
    fLinesCount = static_cast<std::int32_t>(std::min<std::size_t>(aScript.size(), INT32_MAX));
    DoProgressUpdate();
    DoLogNextLine("Parse Script: " + fScriptFileName);
    ParseText();
    if (fStream) {
        fStream.reset();
        fText = {};
    }
}

void TCustomParser::ParseFile(const std::string& aFileName, TCustomObjs* aObjs) {
    Objs = aObjs;
    FreeText();
    fLinesCount = 0;
    switch (fParseBuffer) {
        case pb_String:
            fStringBuffer = DecodeScriptBytes(ReadFileBytes(aFileName));
            fText = fStringBuffer;
            break;
        case pb_Memory:
            fStream = std::make_unique<TMemoryText>(DecodeScriptBytes(ReadFileBytes(aFileName)));
            fText = fStream->Text();
            break;
        case pb_File:
            fStream = MapScriptFile(aFileName);
            fText = fStream->Text();
            break;
    }
    fLinesCount = CountLineBreaks(fText);
    ResetPosition();
    DoProgressUpdate();
    DoLogNextLine("Parse file: " + aFileName);
    ParseText();
    FreeText();
}

void TCustomParser::ParseText() {
    do GetSy();
    while (Sy != syEOF);
}

// ---------------------------------------------------------------------------
// Characters

char32_t TCustomParser::GetChar() {
    const std::int64_t len = LengthTxt();
    if (ix <= len) {
        // Most characters are plain ASCII that neither ends a line nor needs decoding.
        const auto b = static_cast<unsigned char>(fText[static_cast<std::size_t>(ix - 1)]);
        if (b >= 32 && b < 0x80) {
            chIx = ix;
            ++ix;
            if (ChPos < INT32_MAX) ++ChPos;
            ch = b;
            return ch;
        }
    }
    if (ix > len) {
        ch = 0;
        chIx = len + 1;
        return ch;
    }
    std::size_t n;
    char32_t c = Utf8DecodeAt(fText, static_cast<std::size_t>(ix - 1), n);
    chIx = ix;
    ix += static_cast<std::int64_t>(n);
    bool newLine = false;
    if (c == '\n' || (c == '\r' && (ix > len || fText[static_cast<std::size_t>(ix - 1)] != '\n'))) {
        if (Line < INT32_MAX) ++Line;
        ChPos = 0;
        newLine = true;
    } else if (c == 26) {
        c = ' ';
    }
    if (ChPos < INT32_MAX) ++ChPos;
    ch = c;
    if (newLine) DoProgressUpdate();
    return ch;
}

char32_t TCustomParser::CurCh() const {
    if (ix > LengthTxt()) return 0;
    std::size_t n;
    return Utf8DecodeAt(fText, static_cast<std::size_t>(ix - 1), n);
}

char32_t TCustomParser::NextCh() const {
    const std::int64_t len = LengthTxt();
    if (ix > len) return 0;
    std::size_t n;
    Utf8DecodeAt(fText, static_cast<std::size_t>(ix - 1), n);
    const std::int64_t j = ix + static_cast<std::int64_t>(n);
    if (j > len) return 0;
    return Utf8DecodeAt(fText, static_cast<std::size_t>(j - 1), n);
}

void TCustomParser::SkipLine() {
    while (!Eof() && ch != '\n' && !(ch == '\r' && CurCh() != '\n')) GetChar();
}

bool TCustomParser::SkipText() {
    bool skipped = false;
    while (!Eof() && IsBlank(ch)) {
        GetChar();
        skipped = true;
    }
    return skipped;
}

// ---------------------------------------------------------------------------
// Symbols

void TCustomParser::GetSy() {
    Sy = syEOF;
    SyBegPos = chIx;
    if (Eof()) return;
    while (SkipText()) {
    }
    SyBegPos = chIx;
    if (Eof()) return;
    const std::int64_t before = chIx;
    DoBeforeGetSy();
    DoGetSy();
    DoAfterGetSy();
    if (chIx == before && !Eof()) {
        // A dialect's DoGetSy consumed nothing: report it and move on, never loop.
        DoErrorMessage("Parser " + ClassName() + " deadlock.");
        GetChar();
    }
    if (DebugLogOptions.Contains(dlSymbol)) {
        std::string s = "(" + std::to_string(Line) + "," + std::to_string(ChPos) + ") " +
                        ResWordBySymbol(Sy) + ": " + std::to_string(Sy);
        if (Sy == syIdent) {
            s += " =" + Ident;
        } else if (Sy == syInteger) {
            s += " =" + std::to_string(IntVal);
        } else if (Sy == syString) {
            std::string q;
            Utf8Append(q, StrQuoteCh);
            s += " =" + q + StrVal + q;
        }
        DoDbgMsg(s);
    }
    SyResWord = ResWordBySymbol(Sy);
}

void TCustomParser::DoBeforeGetSy() {
    Ident.clear();
    while (!Eof() && IsBlank(ch)) GetChar();
}

void TCustomParser::DoAfterGetSy() {}

void TCustomParser::DoGetSy() {
    SyBegPos = chIx;
    StrQuoteCh = 0;
    const char32_t c = ch;
    auto single = [this](TSymbol aSy) {
        Sy = aSy;
        GetChar();
    };
    switch (c) {
        case '"':
        case '\'':
        case '`':
            Sy = syString;
            StrQuoteCh = c;
            GetStr();
            return;
        case '.':
            // A number, unless the full stop is the second of "..": 1..5 reads 1 . . 5.
            if (IsDigit(CurCh()) && !(chIx > 1 && fText[static_cast<std::size_t>(chIx - 2)] == '.'))
                IntVal = GetInt();
            else
                single(syPoint);
            return;
        case '(':
            single(syLParent);
            return;
        case ')':
            single(syRParent);
            return;
        case ',':
            single(syComma);
            return;
        case '-':
            single(syMinus);
            return;
        case '+':
            single(syPlus);
            return;
        case '*':
            single(syMul);
            return;
        case '/':
            single(syDiv);
            return;
        case ';':
            single(sySemicolon);
            return;
        case ':':
            single(syColon);
            return;
        case '@':
            single(syAt);
            return;
        case '[':
            single(syLBracket);
            return;
        case ']':
            single(syRBracket);
            return;
        case '\\':
            single(syBackSlash);
            return;
        case '%':
            single(syPercent);
            return;
        case '&':
            single(syAmpersand);
            return;
        case '=':
        case '<':
        case '>':
        case '!': {
            // The second character; SQL Server and ASE allow blanks between the two.
            const std::int64_t len = LengthTxt();
            std::int64_t j = ix;
            if (fDatabaseType == dbMSSQL || fDatabaseType == dbSybaseASE) {
                while (j <= len) {
                    const char b = fText[static_cast<std::size_t>(j - 1)];
                    if (b != ' ' && b != '\t' && b != '\n' && b != '\r' && b != 26) break;
                    ++j;
                }
            }
            const char second = j <= len ? fText[static_cast<std::size_t>(j - 1)] : '\0';
            TSymbol sy = syEOF;
            switch (c) {
                case '=':
                    sy = second == '=' ? syDblEqual : syEqual;
                    break;
                case '<':
                    sy = second == '=' ? syLessEqual : second == '>' ? syNotEqual : syLess;
                    break;
                case '>':
                    sy = second == '=' ? syGreaterEqual : syGreater;
                    break;
                default:
                    sy = second == '=' ? syNotEqual : syEOF;
                    break;
            }
            if (sy == syEOF) break;  // a lone "!": invalid, reported below
            const bool pair =
                sy == syDblEqual || sy == syLessEqual || sy == syNotEqual || sy == syGreaterEqual;
            Sy = sy;
            if (pair) {
                while (chIx < j) GetChar();
            }
            GetChar();
            return;
        }
        default:
            if (IsDigit(c)) {
                Sy = syInteger;
                IntVal = GetInt();
                return;
            }
            if (IsAsciiLetter(c)) {
                GetIdent();
                Sy = FindResWord();
                if (Sy == syIdent) UpperAsciiInPlace(Ident);
                return;
            }
            break;
    }
    std::string s = "Invalid char in source text: \"";
    Utf8Append(s, c);
    s += "\".";
    ErrMsg(s);
    GetChar();
}

void TCustomParser::GetIdent() {
    const std::int64_t start = chIx;
    GetChar();
    while (!Eof() && ch < 256 && IdentCharSet.Contains(static_cast<std::uint8_t>(ch))) GetChar();
    Ident.assign(TxtView(start, chIx - start));
}

std::int64_t TCustomParser::GetInt() {
    const std::int64_t start = chIx;
    bool isFloat = false;
    auto digits = [this] {
        while (IsDigit(ch)) GetChar();
    };
    digits();
    // A decimal point, unless it starts a range "..".
    if (ch == '.' && CurCh() != '.') {
        isFloat = true;
        GetChar();
        digits();
    }
    // An exponent only when digits follow: "1END" is 1 and END.
    if (ch == 'E' || ch == 'e') {
        const char32_t n1 = CurCh();
        if (IsDigit(n1) || ((n1 == '+' || n1 == '-') && IsDigit(NextCh()))) {
            isFloat = true;
            GetChar();
            if (ch == '+' || ch == '-') GetChar();
            digits();
        }
    }
    const std::string_view text = TxtView(start, chIx - start);
    StrVal.assign(text);
    const char* first = text.data();
    const char* last = text.data() + text.size();
    if (!isFloat) {
        std::int64_t v = 0;
        const auto r = std::from_chars(first, last, v);
        if (r.ec == std::errc() && r.ptr == last) {
            Sy = syInteger;
            FloatVal = static_cast<double>(v);
            return v;
        }
        // Past 2^63-1: no integer; kept as a number with its exact text in StrVal.
    }
    Sy = syFloat;
    double d = 0;
    const auto r = std::from_chars(first, last, d, std::chars_format::general);
    if (r.ec == std::errc::result_out_of_range) {
        const std::size_t e = text.find_first_of("eE");
        d = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-' ? 0.0
                                                                                     : HUGE_VAL;
    }
    FloatVal = d;
    return 0;
}

const std::string& TCustomParser::GetStr() {
    const char32_t q = ch;
    StrVal.clear();
    GetChar();
    auto appendCh = [this] {
        StrVal.append(fText.data() + (chIx - 1), static_cast<std::size_t>(ix - chIx));
    };
    while (!Eof()) {
        if (ch == q) {
            if (CurCh() != q) break;
            appendCh();
            GetChar();
            GetChar();
            continue;
        }
        if (fDatabaseType == dbMySQL && ch == '\\') {
            GetChar();
            if (Eof()) break;
            switch (ch) {
                case 'r':
                    StrVal += '\r';
                    break;
                case 'n':
                    StrVal += '\n';
                    break;
                case 't':
                    StrVal += '\t';
                    break;
                case 'b':
                    StrVal += '\b';
                    break;
                case 'z':
                    StrVal += '\x1A';
                    break;
                case '0':
                    StrVal += '\0';
                    break;
                default:
                    appendCh();
                    break;
            }
            GetChar();
            continue;
        }
        appendCh();
        GetChar();
    }
    GetChar();
    return StrVal;
}

bool TCustomParser::CheckTermStr() {
    if (fTermStrLen <= 0 || Eof()) return false;
    // Asked before every symbol: the first character settles nearly every case.
    const std::string_view at = TxtView(chIx, static_cast<std::int64_t>(fTermStr.size()));
    if (at.size() != fTermStr.size() || at.front() != fTermStr.front() || at != fTermStr) return false;
    Sy = syTerm;
    for (std::int32_t i = 0; i < fTermStrLen; ++i) GetChar();
    return true;
}

// ---------------------------------------------------------------------------
// Testing symbols

bool TCustomParser::JoinSign(TSymbol aSy) {
    const bool minus = Sy == syMinus;
    TParseContext ctx(this);
    GetSy();
    if (Sy == aSy) {
        if (minus) {
            IntVal = -IntVal;
            FloatVal = -FloatVal;
        }
    } else if (aSy == syInteger && minus && Sy == syFloat &&
               StrVal.find_first_not_of('0') != std::string::npos &&
               StrVal.substr(StrVal.find_first_not_of('0')) == "9223372036854775808") {
        // -2^63 fits although 2^63 does not.
        Sy = syInteger;
        IntVal = INT64_MIN;
        FloatVal = -9223372036854775808.0;
    } else {
        GotoParseContext(ctx);
        return false;
    }
    StrVal.insert(0, minus ? "-" : "+");
    return true;
}

bool TCustomParser::TestSy(TSymbol aSy) {
    if (Sy == aSy) return true;
    if ((aSy == syFloat || aSy == syInteger) && (Sy == syMinus || Sy == syPlus) && JoinSign(aSy))
        return true;
    std::string s = "Missing: ";
    s += aSy == syTerm ? std::string("<TERM>") : ResWordBySymbol(aSy);
    s += " (";
    s += ResWordBySymbol(Sy);
    if (Sy == syIdent) {
        s += ": ";
        s += Ident;
    }
    s += ")";
    ErrMsg(s);
    return false;
}

bool TCustomParser::TestAndGetSy(TSymbol aSy) {
    const bool ok = TestSy(aSy);
    GetSy();
    return ok;
}

bool TCustomParser::GetAndTestSy(TSymbol aSy) {
    GetSy();
    return TestSy(aSy);
}

bool TCustomParser::IsIdent(std::string_view aWord) const {
    return Sy == syIdent && CompareWordsCI(Ident, aWord) == 0;
}

bool TCustomParser::TestIdent(std::string_view aWord) {
    if (IsIdent(aWord)) return true;
    ErrMsg("Must be: " + UpperCase(aWord));
    return false;
}

void TCustomParser::GetNumDec(std::int32_t& aPrecision, std::int32_t& aScale) {
    if (Sy != syLParent) {
        aPrecision = 9;
        aScale = 0;
        return;
    }
    auto readInt = [this](std::int32_t& aValue) {
        GetSy();
        if (!TestSy(syInteger)) return;
        if (IntVal < INT32_MIN || IntVal > INT32_MAX)
            ErrMsg("Value out of range: " + StrVal);
        else
            aValue = static_cast<std::int32_t>(IntVal);
        GetSy();
    };
    aScale = 0;
    readInt(aPrecision);
    if (Sy == syComma) readInt(aScale);
    TestAndGetSy(syRParent);
}

void TCustomParser::GetNumDec(TFldData* aFld) {
    std::int32_t precision = 0, scale = 0;
    GetNumDec(precision, scale);
    if (aFld) {
        aFld->Precision = precision;
        aFld->Scale = scale;
    }
}

// ---------------------------------------------------------------------------
// Expressions

bool TCustomParser::SkipExprComment() {
    if (ch == '-' && CurCh() == '-') {
        // MySQL takes "--" for a comment only before a blank or control character.
        if (fDatabaseType == dbMySQL) {
            const char32_t n = NextCh();
            if (n > ' ') return false;
        }
        GetChar();
        GetChar();
        SkipLine();
        return true;
    }
    if (ch == '#' && fDatabaseType == dbMySQL) {
        SkipLine();
        return true;
    }
    if (ch == '/' && CurCh() == '*') {
        GetChar();
        GetChar();
        while (!Eof() && !(ch == '*' && CurCh() == '/')) GetChar();
        GetChar();
        GetChar();
        return true;
    }
    return false;
}

bool TCustomParser::SkipExprQuoted() {
    char32_t close;
    if (ch == '\'' || ch == '"' || ch == '`')
        close = ch;
    else if (ch == '[' && (fDatabaseType == dbMSSQL || fDatabaseType == dbSybaseASE))
        close = ']';
    else
        return false;
    const bool escapes = fDatabaseType == dbMySQL && close != ']';
    GetChar();
    while (!Eof()) {
        if (ch == close) {
            if (CurCh() != close) break;
            GetChar();
        } else if (escapes && ch == '\\') {
            GetChar();
            if (Eof()) break;
        }
        GetChar();
    }
    GetChar();
    return true;
}

std::string TCustomParser::GetExpr() {
    for (;;) {
        while (!Eof() && (ch == 0 || IsBlank(ch))) GetChar();
        if (Eof() || !SkipExprComment()) break;
    }
    const std::int64_t start = chIx;
    std::int64_t depth = 0;
    while (!Eof()) {
        if (SkipExprComment()) continue;
        if (SkipExprQuoted()) {
            if (depth <= 0) break;
            continue;
        }
        if (ch == '(')
            ++depth;
        else if (ch == ')')
            --depth;
        GetChar();
        if (depth <= 0) break;
    }
    std::string result = CopyTxt(start, chIx - start);
    if (DebugLogOptions.Contains(dlExpr)) DoDbgMsg("Expression: " + result);
    return result;
}

std::string TCustomParser::ExprRemoveParents(std::string_view aText) const {
    return RemoveDoubleParents(aText);
}

std::string DelDblParents(std::string_view aText) { return RemoveDoubleParents(aText); }

std::string TrimSQLText(std::string_view aText) {
    if (aText.empty()) return {};
    auto isTrim = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::string out;
    out.reserve(aText.size());
    std::size_t start = 0;
    bool first = true;
    for (;;) {
        std::size_t end = start;
        while (end < aText.size() && aText[end] != '\r' && aText[end] != '\n') ++end;
        std::size_t e = end;
        while (e > start && isTrim(aText[e - 1])) --e;
        if (!first) out += CRLF;
        first = false;
        out.append(aText.substr(start, e - start));
        if (end >= aText.size()) break;
        start =
            end + (aText[end] == '\r' && end + 1 < aText.size() && aText[end + 1] == '\n' ? 2 : 1);
        if (start >= aText.size()) break;
    }
    std::size_t b = 0, e = out.size();
    while (b < e && isTrim(out[b])) ++b;
    while (e > b && isTrim(out[e - 1])) --e;
    return out.substr(b, e - b);
}

// ---------------------------------------------------------------------------
// Contexts

void TCustomParser::SetParseContext(TParseContext& aCtx) {
    aCtx.SaveLine = Line;
    aCtx.SaveChPos = ChPos;
    aCtx.SaveCh = ch;
    aCtx.SaveIx = ix;
    aCtx.SaveChIx = chIx;
    aCtx.SaveSy = Sy;
    aCtx.SaveSyBegPos = SyBegPos;
    aCtx.SaveIdent = Ident;
}

void TCustomParser::GotoParseContext(const TParseContext& aCtx) {
    Line = aCtx.SaveLine;
    ChPos = aCtx.SaveChPos;
    ch = aCtx.SaveCh;
    ix = aCtx.SaveIx;
    chIx = aCtx.SaveChIx;
    Sy = aCtx.SaveSy;
    SyBegPos = aCtx.SaveSyBegPos;
    Ident = aCtx.SaveIdent;
    SyResWord = ResWordBySymbol(Sy);
}

// ---------------------------------------------------------------------------
// Output

void TCustomParser::DoAddStatement(const std::string& aText, TStatType aTyp,
                                   const std::string& aObjName, TDbObject aObjType,
                                   TDbOperation aOperation, const std::string& aOwnName,
                                   TStatement*& Statement) {
    ++ReportCount;
    if (OnAddStatement)
        OnAddStatement(this, aText, aTyp, aObjName, aObjType, aOperation, aOwnName, Statement);
}

void TCustomParser::DoAddStatement(TStatType aTyp, const std::string& aObjName, TDbObject aObjType,
                                   TDbOperation aOperation, const std::string& aOwnName,
                                   TStatement*& Statement) {
    Statement = nullptr;
    const std::string text = Trim(TxtView(StBegPos, SyBegPos - StBegPos));
    DoAddStatement(text, aTyp, aObjName, aObjType, aOperation, aOwnName, Statement);
}

void TCustomParser::AddObj(TDbObj* aObj, bool FreeNotAdded) {
    if (!aObj) return;
    // The extractor's filters decide first; without one the set files the object directly.
    if (fExtractor && fExtractor->GetDBStructure() && fExtractor->GetDBStructure()->GetObjs() == Objs)
        fExtractor->AddObj(aObj);
    else if (Objs)
        Objs->AddObj(aObj, FreeNotAdded);
    else if (FreeNotAdded)
        delete aObj;
}

void TCustomParser::ErrMsg(const std::string& aText) {
    // Only the first error of a run reaches the user; every one is recorded.
    if (!fMsgMngr->GetIsErr()) DoErrorMessage(aText + GetScriptInfo());
    fMsgMngr->AddScriptMsg(aText, fScriptFileName, GetPosX(), GetPosY(), mt_Err);
}

void TCustomParser::WrnMsg(const std::string& aText) {
    fMsgMngr->AddScriptMsg(aText, fScriptFileName, GetPosX(), GetPosY(), mt_Wrn);
}

std::string TCustomParser::GetScriptInfo() const {
    return "\r\nScript: " + fScriptFileName + " Line:" + std::to_string(Line) +
           " Pos:" + std::to_string(ChPos) + "\r\n";
}

void TCustomParser::DoErrorMessage(const std::string& aText) {
    if (OnErrorMessage)
        OnErrorMessage(this, aText);
    else
        ShowMessage("Error: " + aText);
}

TExtractorLink* TCustomParser::ObjsExtractor() const {
    return Objs && Objs->fDBStructure ? Objs->fDBStructure->GetExtractor() : nullptr;
}

void TCustomParser::DoLogNextLine(const std::string& aText) {
    if (OnLogNextLine) OnLogNextLine(this, aText);
    else if (TExtractorLink* ex = ObjsExtractor()) ex->DoLogNextLine(aText);
}

void TCustomParser::DoDbgMsg(const std::string& aText) {
    if (OnDebugMessage) OnDebugMessage(this, aText);
}

void TCustomParser::DoProgressUpdate() {
    if (!fUpdateProgress) return;
    if (OnProgressUpdate) OnProgressUpdate(this, Line, fLinesCount);
    else if (TExtractorLink* ex = ObjsExtractor()) ex->DoProgressUpdate(Line, fLinesCount);
}

}  // namespace dbtwin
