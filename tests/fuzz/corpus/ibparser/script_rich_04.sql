
/* Comments for database objects. */
COMMENT ON DATABASE     IS 'the rich one';
COMMENT ON DOMAIN       D_POS IS 'positive';
COMMENT ON TABLE        CUSTOMER IS 'customers';
COMMENT ON    COLUMN    CUSTOMER.NAME IS 'name of it';
COMMENT ON    COLUMN    "Order Line"."lower col" IS 'quoted';
COMMENT ON VIEW         V_CUST IS 'a view';
COMMENT ON PROCEDURE    P_ADD IS 'adds';
COMMENT ON    PROCEDURE PARAMETER P_ADD.A IS 'first';
COMMENT ON TRIGGER      TR_CUST_BI IS 'sets id';
COMMENT ON FUNCTION     F_TWICE IS 'twice';
COMMENT ON FUNCTION     UDF_ABS IS 'abs';
COMMENT ON EXCEPTION    E_BAD IS 'bad';
COMMENT ON GENERATOR    G_CUST IS 'ids';
COMMENT ON INDEX        IX_CUST_NAME IS 'by name';
COMMENT ON ROLE         R_READ IS 'readers';
COMMENT ON PACKAGE      PK_UTIL IS 'utils';


