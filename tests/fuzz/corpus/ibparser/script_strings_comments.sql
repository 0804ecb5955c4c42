/* ^ in a comment */
CREATE PROCEDURE PS RETURNS (S VARCHAR(100)) AS
BEGIN
  S = 'it''s ^ here'; -- ^ in a line comment
  S = q'{a ' ^ b}';
  S = _UTF8 'x' || x'4142';
  SUSPEND; /* nested /* no */
END^
SET TERM ; ^
