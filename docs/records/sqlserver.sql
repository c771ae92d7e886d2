-- The table the suite's programs write every saved result into, and the
-- role a ward PC writes with (SQL Server 2016 and later): the columns of
-- postgresql.sql, with the same names and meanings. Run once, as the
-- database's owner, in the database the results go to:
--   sqlcmd -S <server> -d <database> -E -b -i sqlserver.sql
-- (or open it in SQL Server Management Studio), then give the ward PCs
-- their sign-in with ONE of the two blocks at the end. A ward PC may only
-- insert: it reads no one's data, changes or removes nothing.
--
-- Text is nvarchar (UTF-16), so Chinese is kept whatever the database's
-- collation; a length counts characters, as PostgreSQL's does (every text
-- of the suite lies in the Basic Multilingual Plane). This file is ASCII
-- so that sqlcmd reads it the same under any code page.

IF OBJECT_ID(N'dbo.orvomed_record', N'U') IS NULL
    CREATE TABLE dbo.orvomed_record (
        record_id       char(36)          NOT NULL,  -- the record's UUID, made at Save; the local row has it too
        saved_at        datetimeoffset(0) NOT NULL,  -- the save time, to the second, with the PC's UTC offset
        tool_id         int               NOT NULL,  -- the tool's number (18: Braden)
        tool_title      nvarchar(200)     NOT NULL,
        program_version nvarchar(32)      NOT NULL,
        computer        nvarchar(64)      NOT NULL,
        windows_user    nvarchar(256)     NOT NULL,
        nurse_id        nvarchar(32)      NOT NULL,  -- empty when not given
        nurse_name      nvarchar(32)      NOT NULL,
        patient_id      nvarchar(32)      NOT NULL,  -- the hospital number; empty for a calculation that concerns no one
        patient_name    nvarchar(32)      NOT NULL,
        bed             nvarchar(32)      NOT NULL,
        ward            nvarchar(32)      NOT NULL,
        inputs          nvarchar(max)     NOT NULL,  -- one "label=value" line per input
        outputs         nvarchar(max)     NOT NULL,  -- one "label=value unit" line per output ("--" when it failed)
        first_value     float             NULL,      -- the first output's value; NULL when it failed or the tool writes a report
        verdict         nvarchar(max)     NOT NULL,
        [level]         smallint          NOT NULL,  -- 0 to 3 (bracketed: LEVEL may become a keyword)
        level_words     nvarchar(32)      NOT NULL,  -- the level in words, as the local record has it
        result_text     nvarchar(max)     NOT NULL,  -- the whole result as Copy puts it on the clipboard
        -- Not the table's order: random UUIDs would split pages all over it.
        CONSTRAINT orvomed_record_pkey PRIMARY KEY NONCLUSTERED (record_id)
    );
GO

-- The rows in save order: a new row goes at the end of the table.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'dbo.orvomed_record') AND name = N'orvomed_record_time')
    CREATE CLUSTERED INDEX orvomed_record_time ON dbo.orvomed_record (saved_at);
-- A ward's month, and one patient's history.
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'dbo.orvomed_record') AND name = N'orvomed_record_ward_time')
    CREATE NONCLUSTERED INDEX orvomed_record_ward_time ON dbo.orvomed_record (ward, saved_at);
IF NOT EXISTS (SELECT 1 FROM sys.indexes
               WHERE object_id = OBJECT_ID(N'dbo.orvomed_record') AND name = N'orvomed_record_patient')
    CREATE NONCLUSTERED INDEX orvomed_record_patient ON dbo.orvomed_record (patient_id, tool_id, saved_at);
GO

-- The ward PCs' role: INSERT only. (A database role and a user cannot share
-- a name, hence not orvomed_writer, the SQL login's user below.)
IF DATABASE_PRINCIPAL_ID(N'orvomed_insert_only') IS NULL
    CREATE ROLE orvomed_insert_only;
GO
REVOKE SELECT, UPDATE, DELETE ON OBJECT::dbo.orvomed_record FROM orvomed_insert_only;
GRANT INSERT ON OBJECT::dbo.orvomed_record TO orvomed_insert_only;
GO

-- Then ONE of the two ways a ward PC signs in: delete the /* and */ around
-- it, put in the hospital's names, and run it.
--
-- (a) Windows authentication, recommended: the ward PCs' connection string
-- holds no password. A program connects as the Windows user signed in at
-- the PC, not as the computer, so DOMAIN\WardPCs is a domain group holding
-- the Windows accounts nurses sign in to ward PCs with. Connection string:
--   Driver={SQL Server};Server=<server>;Database=<database>;Trusted_Connection=yes;
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'DOMAIN\WardPCs')
    CREATE LOGIN [DOMAIN\WardPCs] FROM WINDOWS;
IF DATABASE_PRINCIPAL_ID(N'DOMAIN\WardPCs') IS NULL
    CREATE USER [DOMAIN\WardPCs] FOR LOGIN [DOMAIN\WardPCs];
ALTER ROLE orvomed_insert_only ADD MEMBER [DOMAIN\WardPCs];
*/
--
-- (b) A SQL Server login (the server must accept SQL Server authentication):
-- the password stands in every ward PC's registry, which every user of the
-- PC can read, so give it to this login alone. It never expires: an expired
-- password would hold every result back in the ward PCs' outboxes.
-- Connection string:
--   Driver={SQL Server};Server=<server>;Database=<database>;Uid=orvomed_writer;Pwd=<the password>;
/*
IF NOT EXISTS (SELECT 1 FROM sys.server_principals WHERE name = N'orvomed_writer')
    CREATE LOGIN orvomed_writer WITH PASSWORD = N'<a long password of its own>',
        CHECK_POLICY = ON, CHECK_EXPIRATION = OFF;
IF DATABASE_PRINCIPAL_ID(N'orvomed_writer') IS NULL
    CREATE USER orvomed_writer FOR LOGIN orvomed_writer;
ALTER ROLE orvomed_insert_only ADD MEMBER orvomed_writer;
*/
