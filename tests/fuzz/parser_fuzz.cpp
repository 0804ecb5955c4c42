// libFuzzer target over the parser core: the scanner (a GetSy loop with sign joining and
// context restores), GetExpr, script loading and the parenthesis and trimming helpers.
//
// Input: the first byte chooses the mode, the rest is the script.
//   bits 0-1  database kind: generic, MySQL, SQL Server, ASE (each has its own scanner rules)
//   bit 2     load the rest as file bytes (byte-order marks, UTF-16, ANSI) instead of UTF-8
//   bit 3     symbol and expression debug logging on
//   bit 4     "#" and "é" allowed in identifiers
// Besides the sanitizers, the target checks the scanner's own invariants and traps on a
// violation: positions stay inside the text and only move forward, every symbol ends, a
// restored context reads the same symbols again.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvStrUtils.h"
#include "parse/krvParser.h"

namespace {

using namespace dbtwin;

class TFuzzParser : public TCustomParser {
public:
    TFuzzParser() {
        BuildResWords();
        OnErrorMessage = [](TObject*, const std::string&) {};
        OnDebugMessage = [](TObject*, const std::string&) {};
    }
    void BuildResWords() override {
        TCustomParser::BuildResWords();
        GetResWordList().AddResWord("CREATE", 30);
        GetResWordList().AddResWord("TABLE", 31);
        GetResWordList().AddResWord("CHECK", 32);
    }
};

void Check(bool aCondition) {
    if (!aCondition) __builtin_trap();
}

void CheckPosition(const TCustomParser& p) {
    Check(p.chIx >= 1 && p.chIx <= p.LengthTxt() + 1);
    Check(p.ix >= p.chIx && p.ix <= p.LengthTxt() + 1);
    Check(p.SyBegPos >= 1 && p.SyBegPos <= p.chIx);
    Check(p.Line >= 1 && p.ChPos >= 0);
    Check(p.Eof() == (p.chIx == p.LengthTxt() + 1));
}

struct TSnap {
    TSymbol sy;
    std::int64_t begin, chIx;
    std::int32_t line, chPos;
    std::string ident;
    bool operator==(const TSnap&) const = default;
};

TSnap Snap(const TCustomParser& p) { return {p.Sy, p.SyBegPos, p.chIx, p.Line, p.ChPos, p.Ident}; }

void Load(TFuzzParser& p, std::string_view aText, bool aBytes) {
    if (aBytes) p.AssignBytes(aText);
    else p.AssignTxt(std::string(aText));
}

void ScanSymbols(TFuzzParser& p, std::string_view aText, bool aBytes) {
    Load(p, aText, aBytes);
    const std::int64_t limit = 2 * p.LengthTxt() + 16;
    std::int64_t steps = 0;
    std::int64_t last = p.chIx;
    for (;; ++steps) {
        Check(steps <= limit);
        p.GetSy();
        CheckPosition(p);
        Check(p.chIx >= last);
        last = p.chIx;
        if (p.Sy == syEOF && p.Eof()) break;
        // The symbol's text lies inside the text read so far.
        Check(p.TxtView(p.SyBegPos, p.chIx - p.SyBegPos).size() ==
              static_cast<std::size_t>(p.chIx - p.SyBegPos));
        if (p.Sy == syMinus || p.Sy == syPlus) {
            p.TestSy(steps % 2 ? syInteger : syFloat);
            CheckPosition(p);
            last = p.chIx;
        }
        if (steps % 7 == 3) {
            // Read ahead three symbols and come back: the same three must follow.
            TParseContext ctx(&p);
            const TSnap saved = Snap(p);
            std::vector<TSnap> ahead;
            for (int i = 0; i < 3; ++i) {
                p.GetSy();
                ahead.push_back(Snap(p));
            }
            ctx.GotoContext();
            Check(Snap(p) == saved);
            for (int i = 0; i < 3; ++i) {
                p.GetSy();
                Check(Snap(p) == ahead[static_cast<std::size_t>(i)]);
            }
            last = p.chIx;
            if (p.Sy == syEOF && p.Eof()) break;
        }
    }
    // Every recorded message has its place.
    for (std::size_t i = 0; i < p.GetMsgMngr().Count(); ++i) Check(p.GetMsgMngr().Get(i).PosY >= 1);
}

void ScanExpressions(TFuzzParser& p, std::string_view aText, bool aBytes) {
    Load(p, aText, aBytes);
    const std::int64_t limit = 2 * p.LengthTxt() + 16;
    for (std::int64_t steps = 0;; ++steps) {
        Check(steps <= limit);
        const std::int64_t before = p.chIx;
        const std::string expr = p.GetExpr();
        CheckPosition(p);
        Check(p.chIx >= before);
        // The expression is a piece of the text that ends where the scanner stands.
        Check(expr.size() <= static_cast<std::size_t>(p.chIx - before));
        Check(p.TxtView(p.chIx - static_cast<std::int64_t>(expr.size()),
                        static_cast<std::int64_t>(expr.size())) == expr);
        if (p.Eof()) break;
        p.GetSy();
        CheckPosition(p);
        if (p.Eof()) break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* aData, std::size_t aSize) {
    if (aSize == 0) return 0;
    const unsigned mode = aData[0];
    const std::string_view text(reinterpret_cast<const char*>(aData + 1), aSize - 1);
    static const TDatabaseType kinds[4] = {dbAbstract, dbMySQL, dbMSSQL, dbSybaseASE};
    const bool bytes = mode & 4;

    TFuzzParser p;
    p.SetDatabaseType(kinds[mode & 3]);
    if (mode & 8) p.DebugLogOptions.Include(dlSymbol).Include(dlExpr);
    if (mode & 16) p.IdentCharSet.Include('#').Include(0xE9);

    ScanSymbols(p, text, bytes);
    ScanExpressions(p, text, bytes);

    const std::string dbl = DelDblParents(text);
    Check(dbl.size() <= text.size() && text.find(dbl) != std::string_view::npos);
    Check(p.ExprRemoveParents(text) == dbl);
    const std::string trimmed = TrimSQLText(text);
    Check(trimmed.size() <= 2 * text.size());  // LF and CR grow into CR LF at most
    p.ParseScript(SplitLines(text), nullptr);
    return 0;
}
