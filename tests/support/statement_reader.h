// Reads a script with a dialect's statement reader and keeps what it reported: each
// statement's text, kind, object, operation, name and line, and the messages.
#pragma once

#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "parse/krvParser.h"

namespace dbtwin::test {

struct TReportedStatement {
    std::string text;
    TStatType typ;
    TDbObject kind;
    TDbOperation op;
    std::string name;
    int line;
};

struct TReadScript {
    std::vector<TReportedStatement> statements;
    std::vector<std::string> errors, warnings;  // "LINE:message"

    std::vector<std::string> Texts() const {
        std::vector<std::string> t;
        for (const auto& s : statements) t.push_back(s.text);
        return t;
    }
};

template <class TParser>
TReadScript ReadStatements(const std::string& aScript, TParser* aParser = nullptr) {
    TParser own;
    TParser& p = aParser ? *aParser : own;
    TReadScript r;
    p.OnErrorMessage = [](TObject*, const std::string&) {};
    p.OnAddStatement = [&](TObject*, const std::string& aText, TStatType aTyp, const std::string& aName, TDbObject aKind,
                           TDbOperation aOp, const std::string&, TStatement*& st) {
        r.statements.push_back({aText, aTyp, aKind, aOp, aName, p.StBegLine});
        st = nullptr;
    };
    p.ParseScript(SplitLines(aScript), nullptr);
    for (std::size_t i = 0; i < p.GetMsgMngr().Count(); ++i) {
        const TMsgData& m = p.GetMsgMngr().Get(i);
        if (m.MsgType == mt_Inf) continue;
        (m.MsgType == mt_Err ? r.errors : r.warnings).push_back(std::to_string(m.PosY) + ":" + m.Msg);
    }
    return r;
}

}  // namespace dbtwin::test
