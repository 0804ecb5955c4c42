// Packages (Firebird and Oracle): a header and an optional body, their texts per database
// kind, and the package generators.
#pragma once

#include <string>

#include "model/krvClasses.h"

namespace dbtwin {

class TKeldar;

class TPkgData : public TDbObj {
public:
    explicit TPkgData(TCustomObjs* aObjs) : TDbObj(aObjs) { fObjType = dboPackage; }
    const char* ClassName() const override { return "TPkgData"; }

    bool ParseBody = false;   // kept for readers
    std::string HeaderBody;   // the header text after the name; the body text is fBody

    // The statement that creates or replaces the header.
    std::string HeaderDef() const;
    // The statement that creates or replaces the body.
    std::string BodyDef() const;
    // The statement that drops the body alone and keeps the header.
    std::string DropBodyDef() const;
    // The header, and after a terminator line the body when there is one.
    std::string Def() const override;
    std::string DropDef() const override;

    TObjListKind ListKind() const override { return olPkg; }
    // A package is written as two statements, header and body, each a block of its own.
    void AddCreateStatement() override;
};

// Package generators of the comparer; they run for Firebird/InterBase and Oracle targets.
void GenScriptPkgCreate(TKeldar& Keldar);
void GenScriptPkgAlter(TKeldar& Keldar);
void GenScriptPkgDrop(TKeldar& Keldar);

}  // namespace dbtwin
