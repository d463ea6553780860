/*
 * Version 11: makes the permission rows fit the key that 012 adds, one row per
 * employee and function name, without taking a permission from anyone.
 *
 * - Rows of one employee that name one function (two desks creating the
 *   employee's rows at the same moment could write them twice) become one:
 *   the lowest ID stays, and each of its four flags is 1 where any of the
 *   rows had it 1, so the merged row grants the widest of them.
 * - A row without an employee or without a function name grants nothing to
 *   anyone and cannot be shown or edited anywhere: it goes. 012 makes both
 *   columns required.
 * - The sequence of the row IDs is brought up to the highest ID stored: the
 *   older permission window wrote maximum plus one.
 *
 * Only data here: the key and the required columns come in 012, because a key
 * checked in the same transaction as these changes sees the rows before them.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

UPDATE TB_RIGHT R SET
  R.IS_READ = CASE WHEN EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
                                AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.IS_READ = 1)
                   THEN 1 ELSE R.IS_READ END,
  R.IS_APPEND = CASE WHEN EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
                                  AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.IS_APPEND = 1)
                     THEN 1 ELSE R.IS_APPEND END,
  R.IS_ALTER = CASE WHEN EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
                                 AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.IS_ALTER = 1)
                    THEN 1 ELSE R.IS_ALTER END,
  R.IS_DELETE = CASE WHEN EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
                                  AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.IS_DELETE = 1)
                     THEN 1 ELSE R.IS_DELETE END
WHERE EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
              AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.ID > R.ID)
  AND NOT EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
                  AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.ID < R.ID);

DELETE FROM TB_RIGHT R
WHERE R.USER_ID IS NULL OR R.FUNCTION_NAME IS NULL
   OR EXISTS (SELECT 1 FROM TB_RIGHT D WHERE D.USER_ID = R.USER_ID
              AND D.FUNCTION_NAME = R.FUNCTION_NAME AND D.ID < R.ID);

SET TERM ^ ;

/* Set with a delta, only upward, so the next row never takes a stored ID. */
EXECUTE BLOCK AS
  DECLARE M BIGINT;
  DECLARE C BIGINT;
BEGIN
  M = COALESCE((SELECT FIRST 1 ID FROM TB_RIGHT WHERE ID IS NOT NULL ORDER BY ID DESC), 0);
  C = GEN_ID(GEN_RIGHT_ID, 0); IF (M > C) THEN C = GEN_ID(GEN_RIGHT_ID, M - C);
END^

SET TERM ; ^

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(11 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
