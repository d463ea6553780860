/*
 * Version 8: the parts stored before version 7 get their rows in the name
 * index, by the same procedure the trigger uses; from here on the trigger
 * keeps every part's rows.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

SET TERM ^ ;

EXECUTE BLOCK AS
  DECLARE C INTEGER;
  DECLARE N VARCHAR(32);
BEGIN
  FOR SELECT M.ID, M.COMMODITY_NAME FROM TB_COMMODITY M
      WHERE NOT EXISTS (SELECT 1 FROM TB_COMMODITY_GRAM T WHERE T.COMMODITY_ID = M.ID)
      INTO :C, :N DO
    EXECUTE PROCEDURE SP_COMMODITY_GRAMS (:C, :N);
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(8 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
