# Generates the keyword table headers (core/keywords/<name>.h under DBTWIN_GENERATED_DIR in
# the build tree) from the data files of this folder; the target dbtwin_keywords builds
# them. Included by the top level.

set(DBTWIN_KEYWORDS_DIR ${CMAKE_CURRENT_LIST_DIR})
set(DBTWIN_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
set(dbtwin_keyword_headers)

# dbtwin_keyword_header(<data file name without .txt> <KIND> <more -D arguments>...)
function(dbtwin_keyword_header name kind)
  set(input ${DBTWIN_KEYWORDS_DIR}/${name}.txt)
  set(output ${DBTWIN_GENERATED_DIR}/core/keywords/${name}.h)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -DKIND=${kind} ${ARGN}
            -P ${DBTWIN_KEYWORDS_DIR}/generate.cmake
    DEPENDS ${input} ${DBTWIN_KEYWORDS_DIR}/generate.cmake
    COMMENT "Generating keyword table core/keywords/${name}.h"
    VERBATIM)
  set(dbtwin_keyword_headers ${dbtwin_keyword_headers} ${output} PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY ${DBTWIN_GENERATED_DIR}/core/keywords)

dbtwin_keyword_header(ib ibsymbols -DTABLES=IBKeyWords:ibsym)
dbtwin_keyword_header(ib_reserved ibwords -DARRAY=IBReservedWords)
dbtwin_keyword_header(ib_quote_more ibwords -DARRAY=IBQuoteMoreWords)
dbtwin_keyword_header(mssql symbols
                      -DTABLES=MSSQLKeyWords:mssqlsym:mssql,ASEKeyWords:asesym:ase)
dbtwin_keyword_header(pg symbols -DTABLES=PGSQLKeyWords:pgsym)
dbtwin_keyword_header(pg_quote_more words -DARRAY=PGSQLQuoteMoreWords)
dbtwin_keyword_header(asa symbols -DTABLES=ASAKeyWords:asasym)
dbtwin_keyword_header(asa_quote words -DARRAY=ASAQuoteWords)
dbtwin_keyword_header(mysql symbols -DTABLES=MySQLKeyWords:mysqlsym)
dbtwin_keyword_header(mysql_quote words -DARRAY=MySQLQuoteWords)
dbtwin_keyword_header(mysql_quote_more words -DARRAY=MySQLQuoteMoreWords)
dbtwin_keyword_header(db2 symbols -DTABLES=DB2KeyWords:db2sym)
dbtwin_keyword_header(oracle symbols -DTABLES=OracleKeyWords:orasym)
dbtwin_keyword_header(localsql symbols -DTABLES=LocalSQLKeyWords:localsqlsym)

add_custom_target(dbtwin_keywords DEPENDS ${dbtwin_keyword_headers})
