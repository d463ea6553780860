-- The rights of the workstations' own database user: reading and writing the rows of every
-- table, reading every view, running every procedure and function, taking numbers from every
-- generator and raising every exception; nothing that changes the schema or the users.
-- The objects are read from the database itself, so running this again after an upgrade
-- covers what the upgrade added; granting a right held already changes nothing.
-- One statement; its one parameter is the user's name (upper case, as Firebird keeps it).
-- Haskett runs it as SYSDBA at start and after a restore.
EXECUTE BLOCK (GRANTEE VARCHAR(63) CHARACTER SET UNICODE_FSS = ?)
AS
  DECLARE NAME VARCHAR(63) CHARACTER SET UNICODE_FSS;
  DECLARE WHO VARCHAR(140) CHARACTER SET UNICODE_FSS;
BEGIN
  WHO = '"' || REPLACE(TRIM(GRANTEE), '"', '""') || '"';
  FOR SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NULL
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT SELECT, INSERT, UPDATE, DELETE ON TABLE "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
  FOR SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$VIEW_BLR IS NOT NULL
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT SELECT ON TABLE "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
  FOR SELECT TRIM(RDB$PROCEDURE_NAME) FROM RDB$PROCEDURES
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$PACKAGE_NAME IS NULL
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT EXECUTE ON PROCEDURE "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
  FOR SELECT TRIM(RDB$FUNCTION_NAME) FROM RDB$FUNCTIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$PACKAGE_NAME IS NULL
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT EXECUTE ON FUNCTION "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
  FOR SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT USAGE ON SEQUENCE "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
  FOR SELECT TRIM(RDB$EXCEPTION_NAME) FROM RDB$EXCEPTIONS
      WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0
      INTO NAME DO
    EXECUTE STATEMENT 'GRANT USAGE ON EXCEPTION "' || REPLACE(NAME, '"', '""') || '" TO USER ' || WHO;
END
