-- prelogin.sql: the rights of the account that the client's data source holds
-- for its steps before the sign-in: the version lock reads the version table
-- and writes the build's stamp into it, and the sign-in looks the typed login
-- up in the user list. Nothing else.
--
--   psql -v account=ROLE -f db/prelogin.sql    (as the database owner)

GRANT USAGE ON SCHEMA adm_user TO :"account";
GRANT SELECT ON adm_user.users TO :"account";
GRANT SELECT, INSERT, UPDATE ON public.ver TO :"account";
