#include "core/krvDialect.h"

#include <array>

#include "core/krvStrUtils.h"

namespace dbtwin {

namespace {

constexpr const char* kSemicolon = ";\r\n";

constexpr TDialectTraits Plain(TDatabaseType aKind) {
    return {aKind, nqNone, "", false, false, false, kSemicolon, ";", "", "/* ", " */", false};
}

constexpr std::array<TDialectTraits, EnumCount<TDatabaseType>> kTraits = [] {
    std::array<TDialectTraits, EnumCount<TDatabaseType>> t{};
    for (std::size_t i = 0; i < t.size(); ++i) t[i] = Plain(static_cast<TDatabaseType>(i));
    //              kind          qualifier  default  keys   columns fold   statement    export    routine comment     view
    t[dbInterBase] = {dbInterBase, nqNone,    "",     false, false,  false, kSemicolon,   ";",      "^", "/* ", " */", false};
    t[dbSybaseASA] = {dbSybaseASA, nqOwnUser, "DBA",  true,  false,  false, "\r\ngo\r\n", "\r\ngo", "",  "% ", "",    false};
    t[dbMSSQL] =     {dbMSSQL,     nqSchema,  "dbo",  true,  true,   true,  "\r\nGO\r\n", "\r\ngo", "",  "/* ", " */", false};
    t[dbSybaseASE] = {dbSybaseASE, nqNone,    "dbo",  true,  false,  false, "\r\ngo\r\n", "\r\ngo", "",  "/* ", " */", false};
    t[dbOracle] =    {dbOracle,    nqSchema,  "",     false, false,  false, kSemicolon,   ";",      "/", "/* ", " */", false};
    t[dbPostgreSQL] = {dbPostgreSQL, nqSchema, "public", false, false,  false, kSemicolon,   ";",      "",  "/* ", " */", true};
    t[dbDB2] =       {dbDB2,       nqSchema,  "",     false, false,  false, kSemicolon,   ";",      "",  "/* ", " */", false};
    t[dbInterBase].BlockOpen = "SET TERM ^ ;";
    t[dbInterBase].BlockClose = "SET TERM ; ^";
    // Routine bodies hold ";": the client must not split them there.
    t[dbMySQL].RoutineTerm = "//";
    t[dbMySQL].BlockOpen = "DELIMITER //";
    t[dbMySQL].BlockClose = "DELIMITER ;";
    t[dbPostgreSQL].Schemas = {ssStatements, saWhenSet, "", true, true, false};
    t[dbMSSQL].Schemas = {ssStatements, saWhenNotItsName, "", false, false, true};
    t[dbDB2].Schemas = {ssStatements, saNever, " RESTRICT", false, false, false};
    t[dbOracle].Schemas = {ssUser, saNever, "", false, false, false};
    t[dbInterBase].AllIsTablePrivileges = true;
    t[dbMSSQL].AllIsTablePrivileges = true;
    t[dbPostgreSQL].GranteeKindWords = false;
    t[dbMySQL].GranteeKindWords = false;
    return t;
}();

}  // namespace

const TDialectTraits& DialectTraits(TDatabaseType aDatabaseType) {
    const auto i = static_cast<std::size_t>(aDatabaseType);
    return i < kTraits.size() ? kTraits[i] : kTraits[dbAbstract];
}

std::string TDialectTraits::FoldName(std::string_view aName, bool aCaseSensitiveIdentifiers) const {
    if (FoldsNames && !aCaseSensitiveIdentifiers) return UpperCase(aName);
    return std::string(aName);
}

std::string TDialectTraits::Comment(std::string_view aText) const {
    std::string r(CommentOpen);
    r += aText;
    r += CommentClose;
    return r;
}

std::string TDialectTraits::SafeComment(std::string_view aText) const {
    const bool block = *CommentClose != '\0';
    std::string body;
    body.reserve(aText.size());
    for (std::size_t i = 0; i < aText.size(); ++i) {
        body += aText[i];
        // "*/" inside a block comment would end it and leave the rest as SQL; "/*" would open
        // a nested one where comments nest (PostgreSQL) and swallow what follows.
        if (block && i + 1 < aText.size() &&
            ((aText[i] == '*' && aText[i + 1] == '/') || (aText[i] == '/' && aText[i + 1] == '*')))
            body += ' ';
        // Each line of a line comment carries the marker.
        if (!block && aText[i] == '\n' && i + 1 < aText.size()) body += CommentOpen;
    }
    return Comment(body);
}

std::string_view TDialectTraits::GrantObjectWord(TDbObject aKind) const {
    switch (DatabaseType) {
        case dbInterBase:
            switch (aKind) {
                case dboProcedure: return "PROCEDURE ";
                case dboTrigger: return "TRIGGER ";
                case dboFunction: return "FUNCTION ";
                case dboException: return "EXCEPTION ";
                case dboGenerator: return "SEQUENCE ";
                case dboPackage: return "PACKAGE ";
                default: return "";
            }
        case dbPostgreSQL:
            switch (aKind) {
                case dboProcedure: return "PROCEDURE ";
                case dboFunction: return "FUNCTION ";
                case dboGenerator: return "SEQUENCE ";
                case dboSchema: return "SCHEMA ";
                case dboDomain: return "DOMAIN ";
                default: return "";
            }
        case dbMySQL:
            switch (aKind) {
                case dboProcedure: return "PROCEDURE ";
                case dboFunction: return "FUNCTION ";
                default: return "";
            }
        case dbMSSQL:
            return aKind == dboSchema ? "SCHEMA::" : "";
        default: return "";
    }
}

std::string TDialectTraits::ViewCompareText(std::string_view aDef) const {
    return FoldsViewLayout ? FoldViewLayout(aDef) : std::string(aDef);
}

std::string FoldViewLayout(std::string_view aText) {
    std::string r;
    r.reserve(aText.size());
    for (char c : aText) {
        if (c == '\r' || c == '\n') c = ' ';
        if (c == ' ' && !r.empty() && r.back() == ' ') continue;
        r += c;
    }
    return r;
}

}  // namespace dbtwin
