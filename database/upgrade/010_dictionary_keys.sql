/*
 * Version 10: the database itself keeps the dictionaries sound, also when two
 * desks act at the same instant.
 *
 * - Each dictionary holds a name once, blanks around and letter case ignored,
 *   as the dictionary window compares names: of two desks adding the same name
 *   at once, the second is refused by the index even though neither saw the
 *   other's row.
 * - A part's unit and standard, an employee's post and department point at an
 *   entry that is there, or are NULL (none chosen): an entry in use cannot be
 *   deleted, whatever the window's own test saw a moment before.
 * - "None" is no longer a default of 0.
 *
 * Only definitions here: 009 made the rows fit them.
 */

SET SQL DIALECT 3;
SET AUTODDL OFF;

CREATE UNIQUE INDEX UX_UNIT_NAME ON TB_UNIT COMPUTED BY (UPPER(TRIM(UNIT_NAME)));
CREATE UNIQUE INDEX UX_STANDARD_NAME ON TB_STANDARD COMPUTED BY (UPPER(TRIM(STANDARD_NAME)));
CREATE UNIQUE INDEX UX_POST_NAME ON TB_POST COMPUTED BY (UPPER(TRIM(POST_NAME)));
CREATE UNIQUE INDEX UX_DEPARTMENT_NAME ON TB_DEPARTMENT COMPUTED BY (UPPER(TRIM(DEPARTMENT_NAME)));

ALTER TABLE TB_COMMODITY
  ALTER COLUMN UNIT_ID DROP DEFAULT,
  ALTER COLUMN STANDARD_ID DROP DEFAULT,
  ADD CONSTRAINT FK_COMMODITY_UNIT FOREIGN KEY (UNIT_ID) REFERENCES TB_UNIT (ID)
    USING INDEX FK_COMMODITY_UNIT,
  ADD CONSTRAINT FK_COMMODITY_STANDARD FOREIGN KEY (STANDARD_ID) REFERENCES TB_STANDARD (ID)
    USING INDEX FK_COMMODITY_STANDARD;

ALTER TABLE TB_EMPLOYEE
  ALTER COLUMN POST_ID DROP DEFAULT,
  ALTER COLUMN DEPARTMENT_ID DROP DEFAULT,
  ADD CONSTRAINT FK_EMPLOYEE_POST FOREIGN KEY (POST_ID) REFERENCES TB_POST (ID)
    USING INDEX FK_EMPLOYEE_POST,
  ADD CONSTRAINT FK_EMPLOYEE_DEPARTMENT FOREIGN KEY (DEPARTMENT_ID) REFERENCES TB_DEPARTMENT (ID)
    USING INDEX FK_EMPLOYEE_DEPARTMENT;

CREATE OR ALTER VIEW V_SCHEMA (VERSION) AS SELECT CAST(10 AS INTEGER) FROM RDB$DATABASE;

COMMIT;
