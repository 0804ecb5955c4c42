#pragma once

// The facts of a database kind's dialect that several units write into their statements:
// how a name is qualified, its case rules, terminators, comment style and how the server
// rewrites view text. Each fact has its home here; units ask DialectTraits(kind).

#include <cstdint>
#include <string>
#include <string_view>

#include "core/krvTypes.h"

namespace dbtwin {

// How a database kind makes and removes a schema.
enum TSchemaStatements : std::uint8_t {
    ssNone,       // no schema objects: schemas are not scripted
    ssUser,       // a schema is a user (Oracle): a script neither creates nor drops one
    ssStatements  // CREATE SCHEMA and DROP SCHEMA
};

// When CREATE SCHEMA names the schema's owner.
enum TSchemaAuthorization : std::uint8_t {
    saNever,
    saWhenSet,         // whenever an owner is known (PostgreSQL)
    saWhenNotItsName   // when the owner differs from the schema's name (SQL Server)
};

// The schema facts of a kind.
struct TSchemaRules {
    TSchemaStatements Statements = ssNone;
    TSchemaAuthorization Authorization = saNever;
    // Appended to DROP SCHEMA: DB2 requires RESTRICT (which is what the others do anyway).
    const char* DropClause = "";
    // ALTER SCHEMA ... OWNER TO changes an owner in place (PostgreSQL).
    bool AltersOwner = false;
    // The schema named as the kind's default owner is the server's own ("public").
    bool ProvidesDefaultSchema = false;
    // A schema whose system name is its name is the server's own (SQL Server: dbo, sys, ...).
    bool SysNameMarksProvided = false;
};

// What qualifies a name in a statement of the kind.
enum TNameQualifier : std::uint8_t {
    nqNone,     // names stand alone
    nqSchema,   // schema + "." + name, when the object has a schema
    nqOwnUser   // owner user + "." + name
};

struct TDialectTraits {
    TDatabaseType DatabaseType;
    TNameQualifier Qualifier;
    // The owner (or schema) an object without one belongs to: keys of parsed names use it, and
    // an owner-qualified dialect writes it for an object without owner user.
    const char* DefaultOwner;
    // The kind lists of an object set file names case-insensitively.
    bool CaseInsensitiveKeys;
    // The column lists of tables and views file names case-insensitively.
    bool CaseInsensitiveColumns;
    // Names are stored upper-cased unless the kind's compare options ask for case-sensitive
    // identifiers.
    bool FoldsNames;
    // Ends a statement rendered by the statement list.
    const char* StatementTerm;
    // Ends a statement of an exported script (the set's fTermString).
    const char* ExportTerm;
    // Ends a routine, trigger or package on a line of its own; empty where routines end with
    // the statement terminator.
    const char* RoutineTerm;
    const char* CommentOpen;
    const char* CommentClose;
    // The server reformats a view's source, so its layout is not compared.
    bool FoldsViewLayout;
    // The lines that switch a client script to RoutineTerm before a run of routines,
    // triggers and packages and back after it; empty where no switch is needed.
    const char* BlockOpen = "";
    const char* BlockClose = "";
    TSchemaRules Schemas = {};
    // GRANT ALL on a table grants exactly its insert, update, delete, select and references
    // privileges; elsewhere ALL grants more (TRUNCATE, TRIGGER, every privilege of the level).
    bool AllIsTablePrivileges = false;
    // Grantees other than users carry their kind word (ROLE R, PROCEDURE P); PostgreSQL and
    // MariaDB refuse the word and take the bare name.
    bool GranteeKindWords = true;

    // "quoted qualifier.quoted name", or the quoted name alone without a qualifier.
    template <typename Quote>
    static std::string Qualified(const Quote& aQuote, std::string_view aQualifier, std::string_view aName) {
        std::string r;
        if (!aQualifier.empty()) {
            r = aQuote(std::string(aQualifier));
            r += '.';
        }
        r += aQuote(std::string(aName));
        return r;
    }

    // The name of an object in its own CREATE and DROP: with the owner user (or the default
    // owner) for the owner-qualified kinds of an owner-qualified dialect, with the schema when
    // set for the schema dialects (never for a column), alone otherwise.
    template <typename Quote>
    std::string ObjectName(const Quote& aQuote, TDbObject aKind, std::string_view aSchema, std::string_view aOwnUser,
                           std::string_view aName) const {
        switch (Qualifier) {
            case nqOwnUser:
                if (aKind == dboTable || aKind == dboProcedure || aKind == dboView)
                    return Qualified(aQuote, OwnerOrDefault(aOwnUser), aName);
                break;
            case nqSchema:
                if (aKind != dboField) return Qualified(aQuote, aSchema, aName);
                break;
            case nqNone: break;
        }
        return aQuote(std::string(aName));
    }

    // A table named in the statement of another object (a column's ALTER TABLE, a constraint's
    // ALTER TABLE, an index's ON and DROP): the same qualification as the table's own name.
    template <typename Quote>
    std::string TableName(const Quote& aQuote, std::string_view aSchema, std::string_view aOwnUser,
                          std::string_view aTable) const {
        return ObjectName(aQuote, dboTable, aSchema, aOwnUser, aTable);
    }

    std::string_view OwnerOrDefault(std::string_view aOwnUser) const {
        return aOwnUser.empty() ? std::string_view(DefaultOwner) : aOwnUser;
    }

    // The name as the kind stores it.
    std::string FoldName(std::string_view aName, bool aCaseSensitiveIdentifiers) const;
    // A comment line.
    std::string Comment(std::string_view aText) const;
    // A comment over free text (warnings that quote names and types): a text that would end
    // the comment early is broken up, and each line of a line-comment dialect is marked.
    std::string SafeComment(std::string_view aText) const;
    // The word before an object's name in GRANT ... ON and REVOKE ... ON ("PROCEDURE "); empty
    // where the server takes the bare name (tables and views everywhere).
    std::string_view GrantObjectWord(TDbObject aKind) const;
    // The text of a view's definition as it is compared.
    std::string ViewCompareText(std::string_view aDef) const;
};

// The traits of a database kind; kinds without a dialect of their own get the plain ones.
const TDialectTraits& DialectTraits(TDatabaseType aDatabaseType);

// Every line break (CR LF, lone LF, lone CR) becomes one blank and runs of blanks one blank.
std::string FoldViewLayout(std::string_view aText);

}  // namespace dbtwin
