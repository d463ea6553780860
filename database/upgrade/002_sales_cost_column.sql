/*
 * Version 2: every sales line gets a column of its own for its unit cost,
 * so that a bill's gross profit no longer depends on its stock lot, which
 * the carry-forward deletes once it is empty.
 *
 * Only definitions here: the rows are filled by 003, because a column added
 * in a transaction cannot be written before that transaction commits. Until
 * then the summary falls back to the lots, exactly as version 1 did.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

ALTER TABLE TB_SALES
  ADD COST_PRICE NUMERIC(15,2),
  ADD CONSTRAINT CK_SALES_COST_PRICE CHECK (COST_PRICE >= 0);

SET TERM ^ ;

/* A line written without its cost (the bill writers of version 1) takes the
   purchase price of its lot; without a lot, the part's average purchase
   price; else 0. What happens to the lot later never changes it. */
CREATE TRIGGER TB_SALES_COST FOR TB_SALES ACTIVE BEFORE INSERT OR UPDATE POSITION 1 AS
BEGIN
  IF (NEW.COST_PRICE IS NULL) THEN
    NEW.COST_PRICE = COALESCE(
      (SELECT G.IN_PRICE FROM TB_STOCK K JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID
       WHERE K.ID = NEW.STOCK_ID),
      (SELECT AVG(A.IN_PRICE) FROM TB_STORAGE A WHERE A.COMMODITY_ID = NEW.COMMODITY_ID),
      0);
END^

SET TERM ; ^

/* Lines written before this version have no cost yet: they read it the old way. */
CREATE OR ALTER VIEW V_SALES_SUMMARY (
  ID, OUT_DATE, TOTAL_COUNT, TOTAL_PRICE, SALES_TYPE, GROSS_PROFIX
) AS
SELECT B.BILL_NO, B.OUT_DATE, B.TOTAL_COUNT, B.TOTAL_PRICE, B.SALES_TYPE,
       (SELECT CAST(SUM(L.OUT_COUNT * (L.OUT_PRICE - COALESCE(L.COST_PRICE, G.IN_PRICE,
                 (SELECT AVG(A.IN_PRICE) FROM TB_STORAGE A WHERE A.COMMODITY_ID = L.COMMODITY_ID),
                 0))) AS NUMERIC(15,2))
        FROM TB_SALES L
        LEFT JOIN TB_STOCK K ON K.ID = L.STOCK_ID
        LEFT JOIN TB_STORAGE G ON G.ID = K.STORAGE_ID
        WHERE L.BILL_NO = B.BILL_NO)
FROM (SELECT S.BILL_NO,
             MIN(S.OUT_DATE) AS OUT_DATE,
             CAST(SUM(S.OUT_COUNT) AS INTEGER) AS TOTAL_COUNT,
             CAST(SUM(S.OUT_COUNT * S.OUT_PRICE) AS NUMERIC(15,2)) AS TOTAL_PRICE,
             MAX(S.SALES_TYPE) AS SALES_TYPE
      FROM TB_SALES S
      GROUP BY S.BILL_NO) B;

/* The schema's version; a database without this view is version 1. */
CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(2 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
