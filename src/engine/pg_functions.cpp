// The server functions on PostgreSQL, with the results and error texts of the SQLite ones
// (server_functions.cpp describes the masks and the compatibility rule; journal_description.cpp
// the journal description). The flags and the mask arrive as numeric, so that numbers and the
// texts '0'/'1' are read alike; reason codes as bpchar, so that they compare without trailing
// blanks. The helpers fnci_* are the pieces the four functions share.

#include "engine/postgres.h"

namespace engine {

namespace {

const char *const functions = R"SQL(
CREATE FUNCTION fnci_flags(fname text, args numeric[], first int) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
    mask bigint := 0;
BEGIN
    FOR i IN 0..19 LOOP
        IF args[first + i] IS NULL OR args[first + i] NOT IN (0, 1) THEN
            RAISE EXCEPTION '%: argument % must be 0 or 1, not %', fname, first + i,
                COALESCE(args[first + i]::text, 'NULL');
        END IF;
        mask := mask | (args[first + i]::bigint << i);
    END LOOP;
    RETURN mask;
END
$$;

-- Refuses a call with another number of arguments than the function takes.
CREATE FUNCTION fnci_arity(fname text, args numeric[], expected int, names text) RETURNS void
LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    IF cardinality(args) <> expected THEN
        RAISE EXCEPTION '%: expected % arguments (%), got %', fname, expected, names,
            cardinality(args);
    END IF;
END
$$;

CREATE FUNCTION FNCI_CONCAUS_GETCONFIGMASK(VARIADIC args numeric[]) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    PERFORM fnci_arity('FNCI_CONCAUS_GETCONFIGMASK', args, 20, 'A0..A9, D0..D9');
    RETURN fnci_flags('FNCI_CONCAUS_GETCONFIGMASK', args, 1);
END
$$;

CREATE FUNCTION FNCI_CONCAUSRIF_GETCONFIGMASK(VARIADIC args numeric[]) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    PERFORM fnci_arity('FNCI_CONCAUSRIF_GETCONFIGMASK', args, 21, 'movement, A0..A9, D0..D9');
    IF args[1] IS NULL OR args[1] NOT IN (0, 1, 2, 3) THEN
        RAISE EXCEPTION 'FNCI_CONCAUSRIF_GETCONFIGMASK: argument 1 (data movement) must be 0 to 3, not %',
            COALESCE(args[1]::text, 'NULL');
    END IF;
    RETURN (args[1]::bigint << 20) | fnci_flags('FNCI_CONCAUSRIF_GETCONFIGMASK', args, 2);
END
$$;

-- The mask as a number of `bits` bits, or the error naming the function.
CREATE FUNCTION fnci_mask(fname text, mask numeric, bits int) RETURNS bigint
LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    IF mask IS NULL OR mask <> trunc(mask) OR mask < 0 OR mask >= (1::bigint << bits) THEN
        RAISE EXCEPTION '%: argument 1 must be a configuration mask, not %', fname,
            COALESCE(mask::text, 'NULL');
    END IF;
    RETURN mask::bigint;
END
$$;

-- The types (bit i = type i) a side of the mask accepts; none ticked accepts all.
CREATE FUNCTION fnci_side(mask bigint, first int) RETURNS bigint
LANGUAGE sql IMMUTABLE AS $$
    SELECT CASE WHEN ((mask >> first) & 1023) = 0 THEN 1023 ELSE ((mask >> first) & 1023) END
$$;

-- The types a reason code accepts on a side (1 debit, 2 credit), from its checks.
CREATE FUNCTION fnci_accepted(code bpchar, side int) RETURNS bigint
LANGUAGE sql STABLE AS $$
    SELECT COALESCE(NULLIF((SELECT
            (CASE WHEN CI11_FLGCOLLEG <> 0 THEN 1 ELSE 0 END)
          | (CASE WHEN CI11_FLGTRANSIT <> 0 THEN 2 ELSE 0 END)
          | (CASE WHEN CI11_FLGCOMPET <> 0 THEN 4 ELSE 0 END)
          | (CASE WHEN CI11_FLGCDC <> 0 THEN 8 ELSE 0 END)
          | (CASE WHEN CI11_FLGLAVPROG <> 0 THEN 16 ELSE 0 END)
          | (CASE WHEN CI11_FLGMAGAZ <> 0 THEN 32 ELSE 0 END)
          | (CASE WHEN CI11_FLGMARGLORDI <> 0 THEN 64 ELSE 0 END)
          | (CASE WHEN CI11_FLGMARGNETTI <> 0 THEN 128 ELSE 0 END)
          | (CASE WHEN CI11_FLGRISULT <> 0 THEN 256 ELSE 0 END)
          | (CASE WHEN CI11_FLGALTRITIPI <> 0 THEN 512 ELSE 0 END)
        FROM CI11_CONTROLLOCONTI WHERE CI11_CODCAUS_CI03 = code AND CI11_SEGNO = side), 0),
        1023)::bigint
$$;

-- 1 when the code accepts one of the types `debit` holds on its debit side and one of `credit`
-- on its credit side, else 0.
CREATE FUNCTION fnci_sides_meet(code bpchar, debit bigint, credit bigint) RETURNS integer
LANGUAGE sql STABLE AS $$
    SELECT CASE WHEN (fnci_accepted(code, 1) & debit) <> 0
                 AND (fnci_accepted(code, 2) & credit) <> 0 THEN 1 ELSE 0 END
$$;

CREATE FUNCTION FNCI_CONCAUS_COMPATIBILE(mask numeric, code bpchar) RETURNS integer
LANGUAGE plpgsql STABLE AS $$
DECLARE
    m bigint := fnci_mask('FNCI_CONCAUS_COMPATIBILE', mask, 20);
BEGIN
    IF code IS NULL OR NOT EXISTS (SELECT 1 FROM CI03_CAUSALI WHERE CI03_CODCAUS = code) THEN
        RETURN 0;
    END IF;
    -- The linked code makes the counter-posting: its debit meets the edited credit side.
    RETURN fnci_sides_meet(code, fnci_side(m, 0), fnci_side(m, 10));
END
$$;

CREATE FUNCTION FNCI_CONCAUSRIF_COMPATIBILE(mask numeric, code bpchar) RETURNS integer
LANGUAGE plpgsql STABLE AS $$
DECLARE
    m bigint := fnci_mask('FNCI_CONCAUSRIF_COMPATIBILE', mask, 22);
BEGIN
    IF code IS NULL OR (m >> 20) NOT IN (1, 2) OR NOT EXISTS (SELECT 1 FROM CI03_CAUSALI
            WHERE CI03_CODCAUS = code AND CI03_INDTIPOMOVDATI = 0) THEN
        RETURN 0;
    END IF;
    -- Stock and labour movements repeat the posting on the reference account: sides stay.
    RETURN fnci_sides_meet(code, fnci_side(m, 10), fnci_side(m, 0));
END
$$;

CREATE FUNCTION FNCG68_NUMERDESC(journal bpchar, company numeric)
RETURNS TABLE (CG68_DESCSEZ varchar, CG68_SEZIONALE bpchar, CG68_DITTA_CG18 numeric)
LANGUAGE sql STABLE AS $$
    SELECT n.CG68_DESCSEZ, n.CG68_SEZIONALE, n.CG68_DITTA_CG18 FROM CG68_NUMERDESC n
    WHERE n.CG68_SEZIONALE = rtrim(journal) AND n.CG68_DITTA_CG18 = company
    ORDER BY n.CG68_SEZIONALE
$$;
)SQL";

} // namespace

const char *postgresServerFunctions()
{
    return functions;
}

} // namespace engine
