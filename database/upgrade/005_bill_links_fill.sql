/*
 * Version 5: makes the bill lines fit the foreign keys that 006 adds, without
 * losing a row, and brings the key and bill-number sequences up to what the
 * older bill writers (maximum plus one) stored.
 *
 * - A stock-in line's supplier or buyer of 0 meant "none chosen"; it becomes
 *   NULL, and so does one that points at a supplier or employee no longer
 *   there. From here on the stock-in trigger turns a 0 into NULL as well.
 * - A part ID that a line or a lot refers to but the catalogue lost gets a
 *   catalogue row of its own ("已删除的配件"), so the lines keep their part.
 * - A lot whose stock-in line is gone, and a sales line whose lot is gone
 *   (the carry-forward deleted it; the line keeps its own cost), lose the link.
 *
 * Only data here, and the trigger: the constraints come in 006, because a key
 * checked in the same transaction as these updates sees the rows before them.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

UPDATE TB_STORAGE G SET G.SUPPLIER_ID = NULL
WHERE G.SUPPLIER_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_SUPPLIER S WHERE S.ID = G.SUPPLIER_ID AND S.ID <> 0);

UPDATE TB_STORAGE G SET G.BUYER_ID = NULL
WHERE G.BUYER_ID IS NOT NULL
  AND NOT EXISTS (SELECT 1 FROM TB_EMPLOYEE E WHERE E.ID = G.BUYER_ID AND E.ID <> 0);

/* A part ID of 0 is no part (the catalogue's trigger never keeps an ID 0). */
UPDATE TB_STORAGE G SET G.COMMODITY_ID = NULL WHERE G.COMMODITY_ID = 0;
UPDATE TB_STOCK K SET K.COMMODITY_ID = NULL WHERE K.COMMODITY_ID = 0;
UPDATE TB_SALES L SET L.COMMODITY_ID = NULL WHERE L.COMMODITY_ID = 0;

SET TERM ^ ;

EXECUTE BLOCK AS
  DECLARE C INTEGER;
BEGIN
  FOR SELECT X.COMMODITY_ID FROM (
        SELECT G.COMMODITY_ID FROM TB_STORAGE G
        UNION SELECT K.COMMODITY_ID FROM TB_STOCK K
        UNION SELECT L.COMMODITY_ID FROM TB_SALES L) X
      WHERE X.COMMODITY_ID IS NOT NULL
        AND NOT EXISTS (SELECT 1 FROM TB_COMMODITY M WHERE M.ID = X.COMMODITY_ID)
      INTO :C DO
    INSERT INTO TB_COMMODITY (ID, COMMODITY_NAME, UNIT_ID, STANDARD_ID) VALUES (:C, '已删除的配件', 0, 0);
END^

SET TERM ; ^

UPDATE TB_STOCK K SET K.STORAGE_ID = NULL
WHERE K.STORAGE_ID IS NOT NULL AND NOT EXISTS (SELECT 1 FROM TB_STORAGE G WHERE G.ID = K.STORAGE_ID);

UPDATE TB_SALES L SET L.STOCK_ID = NULL
WHERE L.STOCK_ID IS NOT NULL AND NOT EXISTS (SELECT 1 FROM TB_STOCK K WHERE K.ID = L.STOCK_ID);

SET TERM ^ ;

/* Each sequence is raised to the highest key stored, never lowered: a sequence that was
   already ahead stays ahead. */
EXECUTE BLOCK AS
  DECLARE M BIGINT;
  DECLARE C BIGINT;
BEGIN
  M = COALESCE((SELECT FIRST 1 ID FROM TB_COMMODITY WHERE ID IS NOT NULL ORDER BY ID DESC), 0);
  C = GEN_ID(GEN_COMMODITY_ID, 0); IF (M > C) THEN C = GEN_ID(GEN_COMMODITY_ID, M - C);
  M = COALESCE((SELECT FIRST 1 ID FROM TB_STORAGE WHERE ID IS NOT NULL ORDER BY ID DESC), 0);
  C = GEN_ID(GEN_STORAGE_ID, 0); IF (M > C) THEN C = GEN_ID(GEN_STORAGE_ID, M - C);
  M = COALESCE((SELECT FIRST 1 ID FROM TB_STOCK WHERE ID IS NOT NULL ORDER BY ID DESC), 0);
  C = GEN_ID(GEN_STOCK_ID, 0); IF (M > C) THEN C = GEN_ID(GEN_STOCK_ID, M - C);
  M = COALESCE((SELECT FIRST 1 ID FROM TB_SALES WHERE ID IS NOT NULL ORDER BY ID DESC), 0);
  C = GEN_ID(GEN_SALES_ID, 0); IF (M > C) THEN C = GEN_ID(GEN_SALES_ID, M - C);
  M = COALESCE((SELECT FIRST 1 BILL_NO FROM TB_STORAGE WHERE BILL_NO IS NOT NULL ORDER BY BILL_NO DESC), 0);
  C = GEN_ID(GEN_STORAGE_BILL_NO, 0); IF (M > C) THEN C = GEN_ID(GEN_STORAGE_BILL_NO, M - C);
  M = COALESCE((SELECT FIRST 1 BILL_NO FROM TB_SALES WHERE BILL_NO IS NOT NULL ORDER BY BILL_NO DESC), 0);
  C = GEN_ID(GEN_SALES_BILL_NO, 0); IF (M > C) THEN C = GEN_ID(GEN_SALES_BILL_NO, M - C);
END^

/* A writer that sends 0 for "no supplier" or "no buyer" still stores NULL. */
CREATE OR ALTER TRIGGER TB_STORAGE_BI FOR TB_STORAGE ACTIVE BEFORE INSERT OR UPDATE POSITION 0 AS
BEGIN
  IF (INSERTING AND (NEW.ID IS NULL OR NEW.ID = 0)) THEN NEW.ID = NEXT VALUE FOR GEN_STORAGE_ID;
  IF (NEW.IN_DATE IS NULL) THEN NEW.IN_DATE = CURRENT_DATE;
  IF (NEW.SUPPLIER_ID = 0) THEN NEW.SUPPLIER_ID = NULL;
  IF (NEW.BUYER_ID = 0) THEN NEW.BUYER_ID = NULL;
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(5 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
