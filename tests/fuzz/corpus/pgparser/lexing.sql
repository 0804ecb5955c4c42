CREATE FUNCTION f() RETURNS int LANGUAGE sql BEGIN ATOMIC SELECT CASE WHEN $1 > 0 THEN 1 END; END;
SELECT E'a\'b', $x$ y $x$;
/* a /* b */ */
\restrict k
COPY t FROM stdin;
1
\.
