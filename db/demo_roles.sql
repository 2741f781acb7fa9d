-- demo_roles.sql: the sign-in accounts of the demo database. Run once by the
-- cluster's superuser, before the schema is loaded.
--
-- Every user of the client signs in as the PostgreSQL role of the same name
-- as the login in adm_user.users. The rights in the client follow the login
-- (the site's rights file names the clerks and the approvers, see the
-- README); the database rights follow the group roles below.
--
-- | Login    | Password     | Who                  | Rights in the client                               |
-- |----------|--------------|----------------------|----------------------------------------------------|
-- | sys      | sys2025      | administrator        | everything, including "База → Очистить базу"       |
-- | master   | master2025   | master (approver)    | everything, including "Очистить базу"              |
-- | kladov   | kladov2025   | storekeeper (clerk)  | shift log: only "Принять"; no reference books      |
-- | econom   | econom2025   | economist            | reports; shift log and reference books locked      |
-- | tehnolog | tehnolog2025 | process engineer     | ordinary: books and documents, no "Принять"        |
--
-- velmora_staff may read and write the business data; velmora_admin may
-- also empty the document tables (the clean-out).

CREATE ROLE velmora_staff NOLOGIN;
CREATE ROLE velmora_admin NOLOGIN IN ROLE velmora_staff;

CREATE ROLE sys      LOGIN PASSWORD 'sys2025'      IN ROLE velmora_staff, velmora_admin;
CREATE ROLE master   LOGIN PASSWORD 'master2025'   IN ROLE velmora_staff, velmora_admin;
CREATE ROLE kladov   LOGIN PASSWORD 'kladov2025'   IN ROLE velmora_staff;
CREATE ROLE econom   LOGIN PASSWORD 'econom2025'   IN ROLE velmora_staff;
CREATE ROLE tehnolog LOGIN PASSWORD 'tehnolog2025' IN ROLE velmora_staff;
