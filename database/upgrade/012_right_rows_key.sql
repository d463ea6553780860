/*
 * Version 12: an employee has at most one permission row per function name,
 * and every row names both. Of two desks creating an employee's rows at the
 * same moment, the second is refused by the key even though neither saw the
 * other's rows; the permission window then reads the rows that are there.
 *
 * Only definitions here: 011 made the rows fit them.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

ALTER TABLE TB_RIGHT
  ALTER COLUMN USER_ID SET NOT NULL,
  ALTER COLUMN FUNCTION_NAME SET NOT NULL,
  ADD CONSTRAINT UQ_RIGHT_USER_FUNCTION UNIQUE (USER_ID, FUNCTION_NAME)
    USING INDEX UX_RIGHT_USER_FUNCTION;

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(12 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
