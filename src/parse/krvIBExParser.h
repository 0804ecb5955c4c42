// The InterBase/Firebird parser the library instantiates: the statement reader of
// krvIBParser.h plus a reader of the procedural language (PSQL) and of SELECT, INSERT,
// UPDATE, DELETE and MERGE whose only product is dependency links. Every table, view,
// procedure, function, column, generator, exception, index, domain and external function a
// body names is linked to the object that holds the body (procedure, function, trigger,
// view, package, computed column, check constraint, expression index, domain).
//
// Bodies are captured whole by the statement reader (the end of a body is found by lexing,
// never by this reader); after all scripts are read, Link_Depend reads every stored body.
// Errors inside a body name the object and point into the script the body came from; they
// never move a body's end and never change how other bodies are read.
//
// Column names are resolved once per query: references are collected while a query is read
// and resolved when its FROM list is complete; a reference no table of a query has goes to
// the enclosing query. In PSQL statements ":name" is always a variable; an unmarked name in
// a query is tried as a column first, as the server does.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "parse/krvIBParser.h"

namespace dbtwin {

class TIbExParser : public TIbParser {
public:
    explicit TIbExParser(TExtractorLink* aExtractor = nullptr);
    ~TIbExParser() override;

    // Deepest nesting of statements, queries and parentheses a body may have.
    static constexpr int kMaxBodyNesting = 1000;

    // The object whose body is being read; null otherwise.
    TDbObj* ParsedObj = nullptr;

    // Reads the stored body of one object (and a domain's default) for its links. Kinds
    // without a body reader report "Body parsing for DB-Obj: (<class>) not implemented.".
    void ParseObjBody(TDbObj* aObj) override;
    // Reads the body of aObj from the scanner's current symbol to the end of the text.
    void ParseObjTxt(TDbObj* aObj) override;
    void ErrMsg(const std::string& aText) override;

protected:
    // Reads every stored body once (after all scripts, from Link_Depend).
    void LinkBodies() override;

private:
    struct TImpl;
    std::unique_ptr<TImpl> fImpl;
    friend struct TImpl;
    // Objects whose bodies were read since the last script; a body is read once.
    std::set<const TDbObj*> fBodiesRead;
    // Column of a body's first symbol as the scanner counts it (positions are made
    // relative to it).
    std::int32_t fBodyColumn0 = 0;
    std::string fBodyText;  // the text being read
};

}  // namespace dbtwin
