-- Test database of the suite: the tables the feed-mix module uses, their indexes and the number
-- register's trigger. Runs inside the chosen database and reloads over an existing one.

DROP TABLE IF EXISTS pelmixi;
DROP TABLE IF EXISTS smesi;
DROP TABLE IF EXISTS skarta;
DROP TABLE IF EXISTS cisdokl;
DROP TABLE IF EXISTS cisdokl_rada;
DROP TABLE IF EXISTS cisdokl_zamek;
DROP TABLE IF EXISTS tavrix;
DROP TABLE IF EXISTS pv;
DROP TABLE IF EXISTS pvrad;
DROP TABLE IF EXISTS dl;
DROP TABLE IF EXISTS dlrad;
DROP TABLE IF EXISTS vn;
DROP TABLE IF EXISTS vnrad;
DROP TABLE IF EXISTS vp;
DROP TABLE IF EXISTS pv9;
DROP TABLE IF EXISTS cenik;
DROP TABLE IF EXISTS cenikcj;
DROP TABLE IF EXISTS strtopc;
DROP TABLE IF EXISTS ksciselnik;
DROP TABLE IF EXISTS historiem;
DROP TABLE IF EXISTS historied;
DROP TABLE IF EXISTS doklady;

-- Feed-mix documents: one mix row (smes "1") and its composition lines per cislodokla.
-- The editor's working tables copy this column list, so the order of the columns matters.
CREATE TABLE pelmixi (
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  mnozstvi DOUBLE NOT NULL DEFAULT 0,
  pr DOUBLE NOT NULL DEFAULT 0,
  nc DOUBLE NOT NULL DEFAULT 0,
  pc DOUBLE NOT NULL DEFAULT 0,
  snc DOUBLE NOT NULL DEFAULT 0,
  spc DOUBLE NOT NULL DEFAULT 0,
  datum DATE NULL DEFAULT NULL,
  ulc VARCHAR(13) NOT NULL DEFAULT '',
  smes VARCHAR(1) NOT NULL DEFAULT '0',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  datumzauct DATE NULL DEFAULT NULL,
  rokd VARCHAR(4) NOT NULL DEFAULT '',
  mesic VARCHAR(2) NOT NULL DEFAULT '',
  rok VARCHAR(4) NOT NULL DEFAULT '',
  popis VARCHAR(40) NOT NULL DEFAULT '',
  cinnost VARCHAR(20) NOT NULL DEFAULT '',
  jazyk VARCHAR(1) NOT NULL DEFAULT 'C',
  id INT NOT NULL AUTO_INCREMENT,
  PRIMARY KEY (id),
  KEY pelmixi_doklad (cislodokla),
  -- The document list: its condition (cost centre, mix rows, year) and its order by number.
  KEY pelmixi_seznam (stredisko, smes, rokd, cislodokla),
  KEY pelmixi_seznam_vse (stredisko, smes, cislodokla),
  KEY pelmixi_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Mixes of the sibling mixing module keep the same layout and conventions.
CREATE TABLE smesi LIKE pelmixi;

-- Stock cards: one row per batch fraction and cost centre.
CREATE TABLE skarta (
  PARTIE VARCHAR(9) NOT NULL DEFAULT '',
  STREDISKO VARCHAR(3) NOT NULL DEFAULT '',
  PODNIK VARCHAR(4) NOT NULL DEFAULT '',
  LOMENI SMALLINT NOT NULL DEFAULT 0,
  PARTIECELA VARCHAR(16) NOT NULL DEFAULT '',
  MISTO VARCHAR(3) NOT NULL DEFAULT '',
  NOMENKLA VARCHAR(12) NOT NULL DEFAULT '',
  NAZEVOSIVA VARCHAR(28) NOT NULL DEFAULT '',
  MJ VARCHAR(3) NOT NULL DEFAULT '',
  DRUH VARCHAR(4) NOT NULL DEFAULT '',
  ODRUDA VARCHAR(5) NOT NULL DEFAULT '',
  STUPEN VARCHAR(3) NOT NULL DEFAULT '',
  NAZ_DRU VARCHAR(40) NOT NULL DEFAULT '',
  NAZ_ODRU VARCHAR(40) NOT NULL DEFAULT '',
  NC DOUBLE NOT NULL DEFAULT 0,
  PC DOUBLE NOT NULL DEFAULT 0,
  ZUSTATEK DOUBLE NOT NULL DEFAULT 0,
  DODAKY DOUBLE NOT NULL DEFAULT 0,
  UCTENKY DOUBLE NOT NULL DEFAULT 0,
  PSTAV DOUBLE NOT NULL DEFAULT 0,
  SMESI DOUBLE NOT NULL DEFAULT 0,
  MODEM DATE NULL DEFAULT NULL,
  ULC VARCHAR(13) NOT NULL DEFAULT '',
  VLAST_VYRO VARCHAR(1) NOT NULL DEFAULT '',
  FINAL VARCHAR(1) NOT NULL DEFAULT '',
  PPOHYB DATE NULL DEFAULT NULL,
  ICO VARCHAR(10) NOT NULL DEFAULT '',
  KODPAR VARCHAR(20) NOT NULL DEFAULT '',
  NAZEVPODNI VARCHAR(30) NOT NULL DEFAULT '',
  SIDLO VARCHAR(30) NOT NULL DEFAULT '',
  VLHKOST VARCHAR(4) NOT NULL DEFAULT '',
  CISTOTA VARCHAR(5) NOT NULL DEFAULT '',
  KLICIVOST VARCHAR(3) NOT NULL DEFAULT '',
  MKS VARCHAR(6) NOT NULL DEFAULT '',
  HTS VARCHAR(8) NOT NULL DEFAULT '',
  CHLAD VARCHAR(3) NOT NULL DEFAULT '',
  ULOZENO VARCHAR(100) NOT NULL DEFAULT '',
  MORENO VARCHAR(30) NOT NULL DEFAULT '',
  OBALY VARCHAR(30) NOT NULL DEFAULT '',
  BRAM_POCET VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_SV VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_A VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_Y VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_X VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_M VARCHAR(3) NOT NULL DEFAULT '',
  BRAM_TVCH VARCHAR(4) NOT NULL DEFAULT '',
  CZP VARCHAR(6) NOT NULL DEFAULT '',
  VZDATUM DATE NULL DEFAULT NULL,
  ZAHRPARTIE VARCHAR(20) NOT NULL DEFAULT '',
  PALETA VARCHAR(10) NOT NULL DEFAULT '',
  VJPZ VARCHAR(10) NOT NULL DEFAULT '',
  POCETO1 DOUBLE NOT NULL DEFAULT 0,
  VAHAO1 DOUBLE NOT NULL DEFAULT 0,
  MNOMENKLA1 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA2 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA3 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA4 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA5 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA6 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA7 VARCHAR(12) NOT NULL DEFAULT '',
  MNOMENKLA8 VARCHAR(12) NOT NULL DEFAULT '',
  MO1 VARCHAR(28) NOT NULL DEFAULT '',
  MO2 VARCHAR(28) NOT NULL DEFAULT '',
  MO3 VARCHAR(28) NOT NULL DEFAULT '',
  MO4 VARCHAR(28) NOT NULL DEFAULT '',
  MO5 VARCHAR(28) NOT NULL DEFAULT '',
  MO6 VARCHAR(28) NOT NULL DEFAULT '',
  MO7 VARCHAR(28) NOT NULL DEFAULT '',
  MO8 VARCHAR(55) NOT NULL DEFAULT '',
  EK1 VARCHAR(10) NOT NULL DEFAULT '',
  EK2 VARCHAR(10) NOT NULL DEFAULT '',
  EK3 VARCHAR(10) NOT NULL DEFAULT '',
  EK4 VARCHAR(10) NOT NULL DEFAULT '',
  EK5 VARCHAR(10) NOT NULL DEFAULT '',
  EK6 VARCHAR(10) NOT NULL DEFAULT '',
  EK7 VARCHAR(10) NOT NULL DEFAULT '',
  EK8 VARCHAR(10) NOT NULL DEFAULT '',
  CISLOPV9 VARCHAR(10) NOT NULL DEFAULT '',
  ZP VARCHAR(8) NOT NULL DEFAULT '',
  RP VARCHAR(8) NOT NULL DEFAULT '',
  COC VARCHAR(8) NOT NULL DEFAULT '',
  VAHAOBALU DOUBLE NOT NULL DEFAULT 0,
  DATUMROZHO DATE NULL DEFAULT NULL,
  REZERVACE DOUBLE NOT NULL DEFAULT 0,
  PLANVYRO DOUBLE NOT NULL DEFAULT 0,
  POPIS VARCHAR(40) NOT NULL DEFAULT '',
  NAVESKY VARCHAR(70) NOT NULL DEFAULT '',
  JRD VARCHAR(80) NOT NULL DEFAULT '',
  HKLICIVOST VARCHAR(80) NOT NULL DEFAULT '',
  ZALOZENA DATE NULL DEFAULT NULL,
  PUVPARTIE VARCHAR(9) NOT NULL DEFAULT '',
  id INT NOT NULL AUTO_INCREMENT,
  PREPNATUNY INT NOT NULL DEFAULT 0,
  VAHANETTO1 DOUBLE NOT NULL DEFAULT 0,
  ZDRAV VARCHAR(100) NOT NULL DEFAULT '',
  VAHACELKO1 DOUBLE NOT NULL DEFAULT 0,
  POZNAMKA VARCHAR(100) NOT NULL DEFAULT '',
  POZNAMKAM LONGTEXT NULL DEFAULT NULL,
  ULC2 VARCHAR(20) NOT NULL DEFAULT '',
  ULC3 VARCHAR(20) NOT NULL DEFAULT '',
  PRIJEM DOUBLE NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  UNIQUE KEY skarta_karta (PARTIECELA, LOMENI, STREDISKO),
  KEY skarta_stredisko (STREDISKO, LOMENI)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Document number register. Each insert is one issued number: the trigger below takes the
-- next number of the series (STREDISKO, ROK, TYPD and the 6-digit prefix of CISLO0) from
-- cisdokl_rada, stores it in CISLO and leaves it in the session variable @pomCis.
CREATE TABLE cisdokl (
  id INT NOT NULL AUTO_INCREMENT,
  STREDISKO VARCHAR(3) NOT NULL DEFAULT '',
  ROK SMALLINT UNSIGNED NOT NULL DEFAULT 0,
  TYPD VARCHAR(2) NOT NULL DEFAULT '',
  CISLO0 BIGINT NOT NULL DEFAULT 0,
  CISLOPC VARCHAR(10) NOT NULL DEFAULT '',
  CISLO CHAR(10) NOT NULL DEFAULT '',
  DATUMCAS DATETIME NOT NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (id),
  UNIQUE KEY cisdokl_cislo (TYPD, CISLO),
  KEY cisdokl_rada (STREDISKO, ROK, TYPD)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- The last number issued in each series. The row lock taken by the trigger's upsert lasts
-- until the inserting transaction ends, so concurrent savers queue on it, and a rollback
-- returns the number to the series. The prefix (PREDCISLI) is part of the key because the two
-- numbering modes lay the numbers of one cost centre and year out under different prefixes:
-- after a change of mode the new layout starts at its own first number.
CREATE TABLE cisdokl_rada (
  STREDISKO VARCHAR(3) NOT NULL,
  ROK SMALLINT UNSIGNED NOT NULL,
  TYPD VARCHAR(2) NOT NULL,
  PREDCISLI INT NOT NULL,
  POSLEDNI BIGINT NOT NULL,
  PRIMARY KEY (STREDISKO, ROK, TYPD, PREDCISLI)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- One row that every number issue locks first. Creating the counter row of a new series takes
-- gap locks, and two savers creating the same series at once would deadlock on them; queueing on
-- this row first makes number issuing strictly one saver at a time until COMMIT or ROLLBACK.
CREATE TABLE cisdokl_zamek (
  id TINYINT NOT NULL,
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;
INSERT INTO cisdokl_zamek (id) VALUES (1);

-- Lock rows of a Galera cluster, where named locks and table locks do not reach the other nodes:
-- a save (row 'zapis') or an archive (row per document and kind) writes its row in its own
-- transaction, so of two at once on two nodes only one commits. The program creates the table
-- where it is missing; a single server never uses it.
CREATE TABLE pelmixi_zamek (
  nazev VARCHAR(64) NOT NULL,
  n BIGINT NOT NULL DEFAULT 0,
  PRIMARY KEY (nazev)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;
INSERT INTO pelmixi_zamek (nazev, n) VALUES ('zapis', 0);

-- Suite settings, a single row.
CREATE TABLE tavrix (
  UcetniRok VARCHAR(1) NOT NULL DEFAULT '1',
  CislovaniD SMALLINT NOT NULL DEFAULT 0,
  KS_JAKNC TINYINT NOT NULL DEFAULT 0,
  KS_vyrobky VARCHAR(1) NOT NULL DEFAULT 'A',
  zakl_mj VARCHAR(3) NOT NULL DEFAULT '',
  kontejnery_DO VARCHAR(1) NOT NULL DEFAULT '',
  uzavreneuo VARCHAR(6) NOT NULL DEFAULT '',
  ks_partie VARCHAR(9) NOT NULL DEFAULT ''
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Receipts. The batch movement table of the module is created from the columns of the
-- receipt query, so dp, cislofakt and nc stay nullable: other document types leave them empty.
CREATE TABLE pv (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  dp VARCHAR(2) NULL DEFAULT NULL,
  datum DATE NULL DEFAULT NULL,
  datumzauct DATE NULL DEFAULT NULL,
  cislofakt VARCHAR(10) NULL DEFAULT NULL,
  nazevpodni VARCHAR(30) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY pv_doklad (cislodokla)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

CREATE TABLE pvrad (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  hmotnostpv DOUBLE NOT NULL DEFAULT 0,
  nc DOUBLE NULL DEFAULT NULL,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY pvrad_doklad (cislodokla),
  KEY pvrad_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Delivery notes.
CREATE TABLE dl (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  datumvn1 DATE NULL DEFAULT NULL,
  datumzauct DATE NULL DEFAULT NULL,
  nazevpodni VARCHAR(30) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY dl_doklad (cislodokla)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

CREATE TABLE dlrad (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  hmotnostvn DOUBLE NOT NULL DEFAULT 0,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  nc DOUBLE NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY dlrad_doklad (cislodokla),
  KEY dlrad_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Issue slips and returns.
CREATE TABLE vn (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  druhvydeje VARCHAR(2) NOT NULL DEFAULT '',
  datumvn1 DATE NULL DEFAULT NULL,
  datumzauct DATE NULL DEFAULT NULL,
  cislofakt VARCHAR(10) NOT NULL DEFAULT '',
  nazevpodni VARCHAR(30) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY vn_doklad (cislodokla)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

CREATE TABLE vnrad (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  hmotnostvn DOUBLE NOT NULL DEFAULT 0,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  nc DOUBLE NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY vnrad_doklad (cislodokla),
  KEY vnrad_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- In-company transfers: header and line in one row.
CREATE TABLE vp (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  nastredisko VARCHAR(3) NOT NULL DEFAULT '',
  pohyb VARCHAR(2) NOT NULL DEFAULT '',
  datum DATE NULL DEFAULT NULL,
  datumzauct DATE NULL DEFAULT NULL,
  mnozstvi DOUBLE NOT NULL DEFAULT 0,
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  nc DOUBLE NOT NULL DEFAULT 0,
  PRIMARY KEY (id),
  KEY vp_doklad (cislodokla),
  KEY vp_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Calculations: pohyb "9" is the calculated product, other rows are consumed batches.
CREATE TABLE pv9 (
  id INT NOT NULL AUTO_INCREMENT,
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  pohyb VARCHAR(2) NOT NULL DEFAULT '',
  datum DATE NULL DEFAULT NULL,
  datumzauct DATE NULL DEFAULT NULL,
  mnozstvi DOUBLE NOT NULL DEFAULT 0,
  nc DOUBLE NOT NULL DEFAULT 0,
  partie VARCHAR(9) NOT NULL DEFAULT '',
  podnik VARCHAR(4) NOT NULL DEFAULT '',
  partiecela VARCHAR(16) NOT NULL DEFAULT '',
  lomeni INT NOT NULL DEFAULT 0,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  nazevosiva VARCHAR(28) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  druh VARCHAR(4) NOT NULL DEFAULT '',
  odruda VARCHAR(5) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  naz_odru VARCHAR(40) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY pv9_doklad (cislodokla),
  KEY pv9_partie (partiecela, lomeni)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Price list: items, and works (non-empty prace, a 3-character code used as a batch code).
CREATE TABLE cenik (
  NOMENKLA VARCHAR(12) NOT NULL,
  NAZEVOSIVA VARCHAR(28) NOT NULL DEFAULT '',
  MJ VARCHAR(3) NOT NULL DEFAULT '',
  DRUH VARCHAR(4) NOT NULL DEFAULT '',
  ODRUDA VARCHAR(5) NOT NULL DEFAULT '',
  STUPEN VARCHAR(3) NOT NULL DEFAULT '',
  DAN DOUBLE NOT NULL DEFAULT 0,
  NAZ_DRU VARCHAR(40) NOT NULL DEFAULT '',
  NAZ_ODRU VARCHAR(40) NOT NULL DEFAULT '',
  VAHAO DOUBLE NOT NULL DEFAULT 0,
  NC DOUBLE NOT NULL DEFAULT 0,
  PC DOUBLE NOT NULL DEFAULT 0,
  prace VARCHAR(3) NOT NULL DEFAULT '',
  PRIMARY KEY (NOMENKLA),
  KEY cenik_prace (prace)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Per-species data joined into the mixing protocol, one row per druh.
CREATE TABLE cenikcj (
  druh VARCHAR(4) NOT NULL,
  naz_dru VARCHAR(40) NOT NULL DEFAULT '',
  stupen VARCHAR(3) NOT NULL DEFAULT '',
  mj VARCHAR(3) NOT NULL DEFAULT '',
  mnozstvi DOUBLE NOT NULL DEFAULT 0,
  cenajedn DOUBLE NOT NULL DEFAULT 0,
  dan DOUBLE NOT NULL DEFAULT 0,
  popis VARCHAR(40) NOT NULL DEFAULT '',
  PRIMARY KEY (druh)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Cost centres and their names.
CREATE TABLE strtopc (
  stred VARCHAR(3) NOT NULL,
  nazevstr VARCHAR(40) NOT NULL DEFAULT '',
  PRIMARY KEY (stred)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Component codes of recipe files and their items.
CREATE TABLE ksciselnik (
  kod VARCHAR(6) NOT NULL,
  nomenkla VARCHAR(12) NOT NULL DEFAULT '',
  popis VARCHAR(28) NOT NULL DEFAULT '',
  PRIMARY KEY (kod)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Activity history: one row per start of a module.
CREATE TABLE historiem (
  id INT NOT NULL AUTO_INCREMENT,
  modul VARCHAR(20) NOT NULL DEFAULT '',
  pc VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  datumcas DATETIME NULL DEFAULT NULL,
  ipadr VARCHAR(15) NOT NULL DEFAULT '',
  computeruser VARCHAR(63) NOT NULL DEFAULT '',
  computername VARCHAR(15) NOT NULL DEFAULT '',
  mdatumcas DATETIME NULL DEFAULT NULL,
  mverze VARCHAR(20) NOT NULL DEFAULT '',
  PRIMARY KEY (id)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Activity history: one row per saved document.
CREATE TABLE historied (
  id INT NOT NULL AUTO_INCREMENT,
  modul VARCHAR(20) NOT NULL DEFAULT '',
  pc VARCHAR(10) NOT NULL DEFAULT '',
  stredisko VARCHAR(3) NOT NULL DEFAULT '',
  datumcas DATETIME NULL DEFAULT NULL,
  ipadr VARCHAR(15) NOT NULL DEFAULT '',
  computeruser VARCHAR(63) NOT NULL DEFAULT '',
  computername VARCHAR(15) NOT NULL DEFAULT '',
  mdatumcas DATETIME NULL DEFAULT NULL,
  mverze VARCHAR(20) NOT NULL DEFAULT '',
  doklad VARCHAR(2) NOT NULL DEFAULT '',
  cislodokla VARCHAR(10) NOT NULL DEFAULT '',
  misto VARCHAR(10) NOT NULL DEFAULT '',
  identifik VARCHAR(20) NOT NULL DEFAULT '',
  PRIMARY KEY (id),
  KEY historied_doklad (cislodokla)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- Archived report PDFs, one row per document number and report kind (typ). The module copies
-- the structure into a scratch table and inserts its rows back with "select *", so every
-- column needs a default and id 0 lets the server assign the next id.
CREATE TABLE doklady (
  id INT NOT NULL AUTO_INCREMENT,
  typ INT NOT NULL DEFAULT 0,
  cislodokladu VARCHAR(10) NOT NULL DEFAULT '',
  objednavka VARCHAR(20) NOT NULL DEFAULT '',
  popis VARCHAR(50) NOT NULL DEFAULT '',
  obsah LONGBLOB NULL DEFAULT NULL,
  vlozeno DATETIME NULL DEFAULT CURRENT_TIMESTAMP,
  PRIMARY KEY (id),
  KEY doklady_doklad (typ, cislodokladu)
) ENGINE=InnoDB DEFAULT CHARSET=cp1250;

-- The register's trigger runs with a strict SQL mode of its own, whatever the mode of the
-- session that inserts, so a bad value fails instead of being truncated into a number.
SET @pelmixi_sql_mode = @@SESSION.sql_mode;
SET SESSION sql_mode = 'STRICT_ALL_TABLES,ERROR_FOR_DIVISION_BY_ZERO,NO_ENGINE_SUBSTITUTION';

-- Issues the next number of the series: CISLO0 when the series is new, else one more than the
-- last. A series never wraps past its last 4-digit number, it is refused instead.
DELIMITER //
CREATE TRIGGER cisdokl_pridel_cislo BEFORE INSERT ON cisdokl FOR EACH ROW
BEGIN
  DECLARE v_cislo BIGINT;
  DECLARE v_zprava VARCHAR(200);
  DECLARE v_zamek TINYINT;
  IF NEW.CISLO0 IS NULL OR NEW.CISLO0 < 1 OR NEW.CISLO0 > 9999999999 OR NEW.CISLO0 MOD 10000 = 0 THEN
    SET v_zprava = CONCAT('Neplatné první číslo řady dokladů: ', IFNULL(NEW.CISLO0, 'chybí'), '.');
    SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = v_zprava;
  END IF;
  SELECT id INTO v_zamek FROM cisdokl_zamek WHERE id = 1 FOR UPDATE;
  INSERT INTO cisdokl_rada (STREDISKO, ROK, TYPD, PREDCISLI, POSLEDNI)
    VALUES (NEW.STREDISKO, NEW.ROK, NEW.TYPD, NEW.CISLO0 DIV 10000, NEW.CISLO0)
    ON DUPLICATE KEY UPDATE POSLEDNI = POSLEDNI + 1;
  SELECT POSLEDNI INTO v_cislo FROM cisdokl_rada
    WHERE STREDISKO = NEW.STREDISKO AND ROK = NEW.ROK AND TYPD = NEW.TYPD
      AND PREDCISLI = NEW.CISLO0 DIV 10000
    FOR UPDATE;
  IF v_cislo MOD 10000 = 0 THEN
    SET v_zprava = CONCAT('Číselná řada dokladů je vyčerpána. Řada ', NEW.TYPD,
                          ', středisko ', NEW.STREDISKO, ', rok ', NEW.ROK,
                          ', předčíslí ', LPAD(NEW.CISLO0 DIV 10000, 6, '0'), '.');
    SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = v_zprava;
  END IF;
  SET NEW.CISLO = LPAD(v_cislo, 10, '0');
  SET @pomCis = NEW.CISLO;
END//
DELIMITER ;

SET SESSION sql_mode = @pelmixi_sql_mode;
