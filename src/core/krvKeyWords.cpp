#include "core/krvKeyWords.h"

namespace dbtwin {

std::string KeyWordKey(std::string_view aWord) {
    std::string key;
    key.reserve(aWord.size());
    for (char c : aWord) {
        if (IsLowerAZ(c))
            key += static_cast<char>(c - 'a' + 'A');
        else if (IsUpperAZ(c) || IsDigit09(c) || c == '_' || c == '$')
            key += c;
        else
            return {};
    }
    return key;
}

TKeyWordIndex::TKeyWordIndex(std::span<const TKeyWord> aTable) {
    for (const TKeyWord& e : aTable) Add(e.Word, e.Symbol);
}

TKeyWordIndex::TKeyWordIndex(std::span<const TIBKeyWord> aTable) {
    for (const TIBKeyWord& e : aTable) Add(e.Word, e.Symbol);
}

void TKeyWordIndex::Add(std::string_view aWord, TSymbol aSymbol) {
    // Only words an identifier can spell; "_<charset>", ":=", "END CONVERSATION" and the
    // like name symbols the scanner makes itself.
    std::string key = KeyWordKey(aWord);
    if (!key.empty() && key == aWord) fMap.emplace(std::move(key), aSymbol);
}

TSymbol TKeyWordIndex::Find(std::string_view aWord) const {
    std::string key = KeyWordKey(aWord);
    if (key.empty()) return syIdent;
    auto it = fMap.find(key);
    return it == fMap.end() ? syIdent : it->second;
}

void TWordIndex::Add(std::span<const std::string_view> aWords) {
    for (std::string_view w : aWords) fSet.insert(KeyWordKey(w));
}

bool TWordIndex::Contains(std::string_view aWord) const {
    std::string key = KeyWordKey(aWord);
    return !key.empty() && fSet.contains(key);
}

void TIBWordIndex::Add(std::span<const TIBWord> aWords) {
    for (const TIBWord& w : aWords) fMap[KeyWordKey(w.Word)] |= w.Versions;
}

bool TIBWordIndex::Contains(std::string_view aWord, TIBSQLServerVersionType aVersion) const {
    std::string key = KeyWordKey(aWord);
    if (key.empty()) return false;
    auto it = fMap.find(key);
    return it != fMap.end() && (it->second & IBVersionBit(aVersion)) != 0;
}

std::string EncloseIdent(std::string_view aName, char aOpen, char aClose) {
    std::string out;
    out.reserve(aName.size() + 2);
    out += aOpen;
    for (char c : aName) {
        out += c;
        if (c == aClose) out += c;
    }
    out += aClose;
    return out;
}

}  // namespace dbtwin
