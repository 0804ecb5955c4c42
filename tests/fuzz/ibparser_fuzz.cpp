// libFuzzer target over the InterBase/Firebird reader (TIbExParser): the statement reader
// and the PSQL/DML body reader that makes dependency links.
//
// Input: the first byte chooses the mode, the rest is the text.
//   bit 0 clear: the text is a whole script, read into a fresh object set, then Link_Depend.
//     bit 1     the set starts in dialect 3 (else 1)
//     bit 2     the script starts with "SET TERM ^ ;"
//     bits 3-4  server version: Firebird 2.5, 3, 4 or InterBase 7.5
//     bit 5     the set holds the fixed objects below before the script is read
//   bit 0 set: the text is the stored body of one object of the fixed set below, read by
//   ParseObjBody, then Link_Depend reads every other body.
//     bits 1-4  the object (modulo 9): procedure, function, trigger, view, check constraint,
//               computed column, expression index, package body, domain check
//     bit 5     the text is stored as is; otherwise as the statement reader stores that kind
//               (a trigger's body starts with AS, check and computed texts are parenthesised)
//     bit 6     server version Firebird 4 (else 3)
//     bit 7     the body is read in dialect 1 (else 3)
//
// The script's file name lies in a private temporary folder holding two small scripts, so a
// relative INPUT reads those and nothing else. Besides the sanitizers, the target checks that
// every message placed in the script lies inside it.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"
#include "objects/krvComp_Ctr.h"
#include "objects/krvComp_Dmn.h"
#include "objects/krvComp_Idx.h"
#include "objects/krvComp_Pkg.h"
#include "objects/krvComp_Prc.h"
#include "objects/krvComp_Tbl.h"
#include "objects/krvComp_Trg.h"
#include "objects/krvComp_Viw.h"
#include "parse/krvIBExParser.h"

namespace {

using namespace dbtwin;

void Check(bool aCondition) {
    if (!aCondition) __builtin_trap();
}

// The objects bodies can name: two tables with columns, keys, a check, a computed column and
// an expression index, a view, a procedure and a function with parameters, a trigger, a
// package, a generator, an exception and a domain.
const char* const kFixedSet =
    "SET SQL DIALECT 3;\n"
    "CREATE DOMAIN D_ID AS INTEGER NOT NULL CHECK (VALUE > 0);\n"
    "CREATE TABLE T1 (ID D_ID, NAME VARCHAR(20), QTY INTEGER, PRICE NUMERIC(15, 2),\n"
    "  TOTAL COMPUTED BY (QTY * PRICE), CONSTRAINT PK_T1 PRIMARY KEY (ID),\n"
    "  CONSTRAINT CK_T1 CHECK (QTY >= 0));\n"
    "CREATE TABLE \"T 2\" (ID INTEGER NOT NULL, T1_ID INTEGER, \"note\" VARCHAR(10),\n"
    "  CONSTRAINT PK_T2 PRIMARY KEY (ID), CONSTRAINT FK_T2 FOREIGN KEY (T1_ID) REFERENCES T1 (ID));\n"
    "CREATE INDEX IX_T1 ON T1 COMPUTED BY (UPPER(NAME));\n"
    "CREATE SEQUENCE G1;\n"
    "CREATE EXCEPTION E1 'bad value';\n"
    "CREATE VIEW V1 (ID, NAME) AS SELECT ID, NAME FROM T1;\n"
    "SET TERM ^ ;\n"
    "CREATE PROCEDURE P1 (A INTEGER, B VARCHAR(10)) RETURNS (R INTEGER, S VARCHAR(10))\n"
    "AS BEGIN SUSPEND; END^\n"
    "CREATE FUNCTION F1 (X INTEGER) RETURNS INTEGER AS BEGIN RETURN X; END^\n"
    "CREATE TRIGGER TR1 FOR T1 ACTIVE BEFORE INSERT POSITION 0 AS BEGIN END^\n"
    "CREATE PACKAGE PK1 AS BEGIN PROCEDURE PP (A INTEGER); FUNCTION PF RETURNS INTEGER; END^\n"
    "CREATE PACKAGE BODY PK1 AS BEGIN\n"
    "  PROCEDURE PP (A INTEGER) AS BEGIN END\n"
    "  FUNCTION PF RETURNS INTEGER AS BEGIN RETURN 1; END\n"
    "END^\n"
    "SET TERM ; ^\n";

// The private folder and the script name INPUT resolves against.
struct TSandbox {
    std::string Dir;
    std::string Script;
    TSandbox() {
        namespace fs = std::filesystem;
        std::string tmpl = (fs::temp_directory_path() / "ibparser_fuzz_XXXXXX").string();
        Check(::mkdtemp(tmpl.data()) != nullptr);
        Dir = tmpl;
        Script = (fs::path(Dir) / "script.sql").string();
        std::ofstream(fs::path(Dir) / "child.sql") << "CREATE TABLE C1 (X INTEGER);\nINPUT 'grandchild.sql';\n";
        std::ofstream(fs::path(Dir) / "grandchild.sql")
            << "SET TERM ^ ;\nCREATE PROCEDURE PC AS BEGIN INSERT INTO C1 VALUES (1); END^\nSET TERM ; ^\n";
        std::ofstream(fs::path(Dir) / "loop.sql") << "INPUT 'loop.sql';\n";
    }
    ~TSandbox() {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
};

const TSandbox& Sandbox() {
    static const TSandbox s;
    return s;
}

void Quiet(TIbExParser& p) {
    p.OnErrorMessage = [](TObject*, const std::string&) {};
    p.OnDebugMessage = [](TObject*, const std::string&) {};
    p.OnLogNextLine = nullptr;
    p.SetScriptFileName(Sandbox().Script);
}

void LoadFixedSet(TIbExParser& p, TObjs& o) {
    const std::string name = p.GetScriptFileName();
    p.SetScriptFileName(Sandbox().Dir + "/fixed.sql");
    p.ParseScript(SplitLines(kFixedSet), &o);
    // The fixed set reads cleanly; anything else is a fault of the statement reader.
    Check(p.GetMsgMngr().GetErrCount() == 0);
    Check(o.Prc.Find("P1") && o.Prc.Find("F1") && o.Trg.Find("TR1") && o.Viw.Find("V1"));
    p.SetScriptFileName(name);
}

// Messages placed in the script lie inside it.
void CheckPlaces(const TIbExParser& p, std::size_t aFrom, std::int64_t aLines) {
    const TMsgManager& m = p.GetMsgMngr();
    for (std::size_t i = aFrom; i < m.Count(); ++i) {
        const TMsgData& d = m.Get(i);
        Check(d.PosY >= 0 && d.PosX >= 0);
        if (d.FileName == Sandbox().Script) Check(d.PosY <= aLines);
    }
}

void ReadScript(unsigned aMode, std::string_view aText) {
    static const TIBSQLServerVersionType kVersions[4] = {st_Firebird_25, st_Firebird_30, st_Firebird_40,
                                                         st_InterBase_75};
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    o.fIBServerOptions.SetSQLServerVersion(kVersions[(aMode >> 3) & 3]);
    TIbExParser p;
    Quiet(p);
    if (aMode & 32) LoadFixedSet(p, o);
    o.fIBServerOptions.SetSQLDialect(aMode & 2 ? 3 : 1);
    std::string text = aMode & 4 ? "SET TERM ^ ;\n" : "";
    text += aText;
    const std::vector<std::string> lines = SplitLines(text);
    const std::size_t from = p.GetMsgMngr().Count();
    p.ParseScript(lines, &o);
    // The script's lines and the empty one after its last line break.
    const auto count = static_cast<std::int64_t>(lines.size()) + 1;
    CheckPlaces(p, from, count);
    p.Link_Depend();
    CheckPlaces(p, from, count);
}

void ReadBody(unsigned aMode, std::string_view aText) {
    TObjs o;
    o.SetDatabaseType(dbInterBase);
    o.fIBServerOptions.SetSQLServerVersion(aMode & 64 ? st_Firebird_40 : st_Firebird_30);
    TIbExParser p;
    Quiet(p);
    LoadFixedSet(p, o);
    if (aMode & 128) p.ParseScript({"SET SQL DIALECT 1;"}, &o);
    const bool raw = aMode & 32;
    const std::string text(aText);
    const std::string parens = raw ? text : "(" + text + ")";
    TDbObj* obj = nullptr;
    switch (((aMode >> 1) & 15) % 9) {
        case 0: obj = o.Prc.Find("P1"); obj->SetBody(text); break;
        case 1: obj = o.Prc.Find("F1"); obj->SetBody(text); break;
        case 2: obj = o.Trg.Find("TR1"); obj->SetBody(raw ? text : "AS\n" + text); break;
        case 3: obj = o.Viw.Find("V1"); obj->SetBody(text); break;
        case 4: obj = o.Ctr.Find("CK_T1"); obj->SetBody(parens); break;
        case 5: obj = o.Tbl.Find("T1")->FindFld("TOTAL"); obj->SetBody(parens); break;
        case 6: obj = o.Idx.Find("IX_T1"); obj->SetBody(parens); break;
        case 7: obj = o.Pkg.Find("PK1"); obj->SetBody(text); break;
        default: {
            TDmnData* d = o.Dmn.Find("D_ID");
            d->fData->EditRare().CheckDef = raw ? text : " (" + text + ")";
            obj = d;
            break;
        }
    }
    Check(obj != nullptr);
    const std::size_t from = p.GetMsgMngr().Count();
    p.ParseObjBody(obj);
    p.Link_Depend();
    // Body errors point into the fixed script (where the body was captured) or nowhere.
    const TMsgManager& m = p.GetMsgMngr();
    for (std::size_t i = from; i < m.Count(); ++i) Check(m.Get(i).PosY >= 0 && m.Get(i).PosX >= 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* aData, std::size_t aSize) {
    if (aSize == 0) return 0;
    const unsigned mode = aData[0];
    const std::string_view text(reinterpret_cast<const char*>(aData + 1), aSize - 1);
    if (mode & 1) ReadBody(mode, text);
    else ReadScript(mode, text);
    return 0;
}
