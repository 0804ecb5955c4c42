// Reads a Firebird DDL script (as isql -x writes it) with the script reader and writes the
// library's export of what it read: the round trip of ibparse_live.sh.
//   ibparse_probe <script.sql> <database> <user> <database character set>
// Messages of the reader go to stderr; any error exits 1.
#include <iostream>
#include <string>
#include <vector>

#include "core/krvStrUtils.h"
#include "objects/krvCompObj.h"
#include "parse/krvIBExParser.h"

using namespace dbtwin;

int main(int argc, char** argv) {
    if (argc != 5) {
        std::cerr << "usage: ibparse_probe <script.sql> <database> <user> <charset>\n";
        return 2;
    }
    TObjs objs;
    objs.SetDatabaseType(dbInterBase);
    objs.fIBServerOptions.SetSQLServerVersion(st_Firebird_30);
    objs.fIBServerOptions.SetDBCharSet(argv[4]);
    // Character sets and collations of columns are part of what is compared here.
    objs.fIBServerOptions.GetIBCompareOptions().SetFldCharsetCompare(true);
    TIbExParser p;
    p.OnErrorMessage = [](TObject*, const std::string& aText) { std::cerr << aText << '\n'; };
    p.ParseFile(argv[1], &objs);
    const TMsgManager& m = p.GetMsgMngr();
    for (std::size_t i = 0; i < m.Count(); ++i)
        std::cerr << m.Get(i).FileName << ':' << m.Get(i).PosY << ':' << m.Get(i).PosX << ": " << m.Get(i).Msg << '\n';
    if (m.GetIsErr()) return 1;
    p.Link_Depend();
    objs.fConnectionOptions.SetDatabaseName(argv[2]);
    objs.fConnectionOptions.SetUserName(argv[3]);
    std::vector<std::string> script;
    objs.ExtractMetadata(script);
    std::cout << JoinLines(script);
    return 0;
}
