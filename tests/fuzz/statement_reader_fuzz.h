// The body of the fuzz targets over a dialect's statement reader: the whole input is a script.
// Besides the sanitizers, it checks that statements are reported in order of their lines and
// that every message placed in the script lies inside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"

namespace dbtwin::fuzz {

inline void Check(bool aCondition) {
    if (!aCondition) std::abort();
}

template <class TParser>
int ReadStatements(const std::uint8_t* aData, std::size_t aSize) {
    const std::string text(reinterpret_cast<const char*>(aData), aSize);
    TParser parser;
    parser.OnErrorMessage = [](TObject*, const std::string&) {};
    std::int32_t lastLine = 0;
    parser.OnAddStatement = [&](TObject*, const std::string& aText, TStatType, const std::string&, TDbObject, TDbOperation,
                                const std::string&, TStatement*& aStatement) {
        aStatement = nullptr;
        Check(!aText.empty());
        Check(parser.StBegLine >= lastLine);
        lastLine = parser.StBegLine;
    };
    const std::vector<std::string> lines = SplitLines(text);
    parser.ParseScript(lines, nullptr);
    const auto count = static_cast<std::int32_t>(lines.size());
    const TMsgManager& m = parser.GetMsgMngr();
    for (std::size_t i = 0; i < m.Count(); ++i) Check(m.Get(i).PosY >= 0 && m.Get(i).PosY <= count + 1);
    return 0;
}

}  // namespace dbtwin::fuzz
