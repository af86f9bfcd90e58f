-- Demo plant for trying the module by hand: a feed mill on cost centre 101 and a second mill on
-- 102, with stock, price list, stored feed-mix documents and other documents moving their batches.
--
-- Key facts (quantities in kg, prices in Kč per kg):
--   settings: calendar accounting year, numbering mode 0, mixes confirmed by price (KS_JAKNC 1),
--     mixes are own products, period 2026/06 closed, mix batch prefix 5526 (next proposal 552600006)
--   feed-mix documents (type KS), numbers yy + 0 + cost centre + sequence:
--     2501010001  101  2025-12-15  mix 552500001  posted 2025-12-31
--     2601010001  101  2026-08-05  mix 552600001  posted 2026-08-31
--     2601010002  101  2026-09-09  mix 552600002  being posted (2002-11-11)
--     2601010003  101  2026-10-06  mix 552600003  not posted (NULL), its batch moved on by
--                 DL 2601010001, VN 2601010001 (posted), VP 2601010001 (to 102),
--                 KA 2601010003, SM 2601010001 and KS 2601010004
--     2601010004  101  2026-11-03  mix 552600004  not posted (1900-01-01), unconfirmed (nc 0),
--                 its batch issued on the unposted DL 2601010002, has an excluded line 557900002
--     2601020001  102  2026-11-18  mix 552600005  not posted
--   the next KS numbers: 2601010005 on 101, 2601020002 on 102, 2026120001 on 12
--   works: MIC, SRO, GRA priced, DOP with NC 0
--   stock 101: reserved card 250000111, lot with /N/ on 250000113, calculation fractions
--     250000103/60, 250000104/61, 552600003/60, fraction 1 of 250000102

TRUNCATE TABLE pelmixi;
TRUNCATE TABLE smesi;
TRUNCATE TABLE skarta;
TRUNCATE TABLE cisdokl;
TRUNCATE TABLE cisdokl_rada;
TRUNCATE TABLE tavrix;
TRUNCATE TABLE pv;
TRUNCATE TABLE pvrad;
TRUNCATE TABLE dl;
TRUNCATE TABLE dlrad;
TRUNCATE TABLE vn;
TRUNCATE TABLE vnrad;
TRUNCATE TABLE vp;
TRUNCATE TABLE pv9;
TRUNCATE TABLE cenik;
TRUNCATE TABLE cenikcj;
TRUNCATE TABLE strtopc;
TRUNCATE TABLE ksciselnik;
TRUNCATE TABLE historiem;
TRUNCATE TABLE historied;
TRUNCATE TABLE doklady;

INSERT INTO tavrix (UcetniRok, CislovaniD, KS_JAKNC, KS_vyrobky, zakl_mj, kontejnery_DO, uzavreneuo, ks_partie)
VALUES ('1', 0, 1, 'A', 'kg', 'N', '202606', '5526');

INSERT INTO strtopc (stred, nazevstr) VALUES
('101', 'Míchárna krmiv Horní Lhota'),
('102', 'Šrotovna Dolní Újezd'),
('12', 'Rostlinná výroba – sklad Lhota');

-- Price list: feed components, the mixes, packaging and works (prace).
INSERT INTO cenik (NOMENKLA, NAZEVOSIVA, MJ, DRUH, ODRUDA, STUPEN, DAN, NAZ_DRU, NAZ_ODRU, VAHAO, NC, PC, prace) VALUES
('111001', 'Pšenice krmná', 'kg', 'PSE', 'BOH', 'K', 12, 'Pšenice ozimá', 'Bohemia', 0, 5.20, 6.10, ''),
('111002', 'Ječmen krmný', 'kg', 'JEC', 'LAU', 'K', 12, 'Ječmen jarní', 'Laudis 550', 0, 4.80, 5.60, ''),
('111003', 'Kukuřice krmná', 'kg', 'KUK', 'LG312', 'K', 12, 'Kukuřice setá', 'LG 31.205', 0, 5.00, 5.90, ''),
('111004', 'Oves krmný', 'kg', 'OVE', 'ZLA', 'K', 12, 'Oves setý', 'Zlaták', 0, 4.30, 5.10, ''),
('111005', 'Tritikale krmné', 'kg', 'TRI', 'KAS', 'K', 12, 'Tritikale ozimé', 'Kasyno', 0, 4.60, 5.40, ''),
('111006', 'Hrách krmný', 'kg', 'HRA', 'ESO', 'K', 12, 'Hrách setý', 'Eso', 0, 6.40, 7.30, ''),
('112001', 'Sójový extrahovaný šrot', 'kg', 'SOJ', '', '', 12, 'Sója luštinatá', 'extrahovaný šrot 46 % NL', 0, 11.50, 13.20, ''),
('112002', 'Řepkový extrahovaný šrot', 'kg', 'REP', '', '', 12, 'Řepka olejka', 'extrahovaný šrot', 0, 7.20, 8.30, ''),
('112003', 'Řepkové výlisky', 'kg', 'REP', '', '', 12, 'Řepka olejka', 'výlisky', 0, 6.10, 7.00, ''),
('112004', 'Slunečnicový šrot', 'kg', 'SLU', '', '', 12, 'Slunečnice roční', 'extrahovaný šrot', 0, 6.80, 7.80, ''),
('112005', 'Pšeničné otruby', 'kg', 'PSE', '', '', 12, 'Pšenice ozimá', 'otruby', 0, 3.90, 4.60, ''),
('113001', 'Minerální směs pro drůbež', 'kg', 'MIN', '', '', 12, 'Minerální krmivo', 'pro drůbež', 25, 28.00, 32.00, ''),
('113002', 'Minerální směs pro skot', 'kg', 'MIN', '', '', 12, 'Minerální krmivo', 'pro skot', 25, 26.00, 30.00, ''),
('113003', 'Vápenec krmný', 'kg', 'VAP', '', '', 12, 'Vápenec mletý', 'krmný', 0, 1.80, 2.30, ''),
('113004', 'Sůl krmná', 'kg', 'SUL', '', '', 12, 'Sůl kamenná', 'krmná', 25, 3.50, 4.20, ''),
('113005', 'Dikalciumfosfát', 'kg', 'FOS', '', '', 12, 'Krmné fosfáty', 'dikalciumfosfát', 25, 24.00, 27.50, ''),
('114001', 'Premix pro brojlery', 'kg', 'PRE', '', '', 12, 'Doplňkové krmivo – premix', 'pro brojlery', 25, 45.00, 52.00, ''),
('114002', 'L-lysin HCl', 'kg', 'AMK', '', '', 12, 'Aminokyseliny', 'lysin', 25, 42.00, 48.00, ''),
('114003', 'DL-methionin', 'kg', 'AMK', '', '', 12, 'Aminokyseliny', 'methionin', 25, 95.00, 108.00, ''),
('114004', 'Sušená syrovátka', 'kg', 'MLE', '', '', 12, 'Mléčná krmiva', 'sušená syrovátka', 25, 18.50, 21.00, ''),
('114005', 'Řepkový olej krmný', 'kg', 'OLE', '', '', 12, 'Rostlinné oleje', 'řepkový olej', 0, 32.00, 36.00, ''),
('114006', 'Probiotický doplněk', 'kg', 'PRO', '', '', 12, 'Probiotika', 'doplněk do krmiv', 5, 120.00, 135.00, ''),
('150001', 'KS pro nosnice N1', 'kg', 'KSD', 'N1', '', 12, 'Krmná směs pro drůbež', 'nosnice – sypká', 25, 0, 9.50, ''),
('150002', 'KS pro brojlery BR2', 'kg', 'KSD', 'BR2', '', 12, 'Krmná směs pro drůbež', 'brojleři – výkrm II', 25, 0, 11.20, ''),
('150003', 'KS pro dojnice D1', 'kg', 'KSS', 'D1', '', 12, 'Krmná směs pro skot', 'dojnice – produkční', 1000, 0, 8.20, ''),
('150004', 'KS pro telata T1', 'kg', 'KSS', 'T1', '', 12, 'Krmná směs pro skot', 'telata – odchov', 25, 0, 10.90, ''),
('150005', 'KS pro prasata VP1', 'kg', 'KSP', 'VP1', '', 12, 'Krmná směs pro prasata', 'výkrm I', 25, 0, 8.40, ''),
('150006', 'Šrotová směs pro skot', 'kg', 'KSS', 'SR1', '', 12, 'Krmná směs pro skot', 'šrotová směs', 0, 0, 7.00, ''),
('195025', 'Pytel papírový 25 kg', 'ks', 'OBA', '', '', 21, 'Obaly', 'papírový pytel', 0, 4.20, 5.00, ''),
('195100', 'Vak big bag 1000 kg', 'ks', 'OBA', '', '', 21, 'Obaly', 'big bag', 0, 180.00, 210.00, ''),
('190001', 'Míchání krmných směsí', 'kg', '', '', '', 21, '', '', 0, 0.60, 0.90, 'MIC'),
('190002', 'Šrotování obilí', 'kg', '', '', '', 21, '', '', 0, 0.35, 0.50, 'SRO'),
('190003', 'Doprava krmiva', 'kg', '', '', '', 21, '', '', 0, 0, 0.20, 'DOP'),
('190004', 'Granulace krmiva', 'kg', '', '', '', 21, '', '', 0, 0.80, 1.10, 'GRA');

-- Per-species data of the mixing protocol. Columns naz_dru, stupen, mnozstvi and popis share
-- their names with pelmixi on purpose: the protocol must read the document's own values.
INSERT INTO cenikcj (druh, naz_dru, stupen, mj, mnozstvi, cenajedn, dan, popis) VALUES
('PSE', 'Pšenice ozimá', 'K', 'kg', 1000, 5.20, 12, 'Obiloviny'),
('JEC', 'Ječmen jarní', 'K', 'kg', 1000, 4.80, 12, 'Obiloviny'),
('KUK', 'Kukuřice setá', 'K', 'kg', 1000, 5.00, 12, 'Obiloviny'),
('OVE', 'Oves setý', 'K', 'kg', 1000, 4.30, 12, 'Obiloviny'),
('TRI', 'Tritikale ozimé', 'K', 'kg', 1000, 4.60, 12, 'Obiloviny'),
('HRA', 'Hrách setý', 'K', 'kg', 1000, 6.40, 12, 'Luskoviny'),
('SOJ', 'Sója luštinatá', '', 'kg', 500, 11.50, 12, 'Bílkovinná krmiva'),
('REP', 'Řepka olejka', '', 'kg', 500, 7.20, 12, 'Bílkovinná krmiva'),
('SLU', 'Slunečnice roční', '', 'kg', 500, 6.80, 12, 'Bílkovinná krmiva'),
('MIN', 'Minerální krmivo', '', 'kg', 25, 27.00, 12, 'Minerální krmiva'),
('VAP', 'Vápenec mletý', '', 'kg', 100, 1.80, 12, 'Minerální krmiva'),
('SUL', 'Sůl kamenná', '', 'kg', 25, 3.50, 12, 'Minerální krmiva'),
('FOS', 'Krmné fosfáty', '', 'kg', 25, 24.00, 12, 'Minerální krmiva'),
('PRE', 'Doplňkové krmivo – premix', '', 'kg', 25, 45.00, 12, 'Doplňková krmiva'),
('AMK', 'Aminokyseliny', '', 'kg', 25, 60.00, 12, 'Doplňková krmiva'),
('MLE', 'Mléčná krmiva', '', 'kg', 25, 18.50, 12, 'Doplňková krmiva'),
('OLE', 'Rostlinné oleje', '', 'kg', 100, 32.00, 12, 'Energetická krmiva'),
('PRO', 'Probiotika', '', 'kg', 5, 120.00, 12, 'Doplňková krmiva'),
('KSD', 'Krmná směs pro drůbež', '', 'kg', 25, 0, 12, 'Kompletní krmné směsi'),
('KSS', 'Krmná směs pro skot', '', 'kg', 25, 0, 12, 'Kompletní krmné směsi'),
('KSP', 'Krmná směs pro prasata', '', 'kg', 25, 0, 12, 'Kompletní krmné směsi');

-- Component codes of the recipe files (A12 is the code of the sample recipe).
INSERT INTO ksciselnik (kod, nomenkla, popis) VALUES
('PSE', '111001', 'Pšenice'),
('A12', '111001', 'Pšenice – receptura A'),
('JEC', '111002', 'Ječmen'),
('KUK', '111003', 'Kukuřice'),
('OVE', '111004', 'Oves'),
('TRI', '111005', 'Tritikale'),
('HRA', '111006', 'Hrách'),
('SOJ', '112001', 'Sójový šrot'),
('REPS', '112002', 'Řepkový šrot'),
('OTR', '112005', 'Pšeničné otruby'),
('MSD', '113001', 'Minerální směs drůbež'),
('MSS', '113002', 'Minerální směs skot'),
('VAP', '113003', 'Vápenec'),
('SUL', '113004', 'Sůl'),
('DCP', '113005', 'Dikalciumfosfát'),
('PRBR', '114001', 'Premix brojler'),
('LYS', '114002', 'Lysin'),
('MET', '114003', 'Methionin'),
('SYR', '114004', 'Syrovátka'),
('OLEJ', '114005', 'Olej');

-- Number register, in the order the documents were saved. The trigger issues the numbers
-- (CISLO) that the documents below carry, so the series continue from them.
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2025, 'PV', 2501010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2025, 'KS', 2501010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'PV', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'PV', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('102', 2026, 'PV', 2601020001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KA', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KA', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KS', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KS', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KS', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'VN', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'DL', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'VP', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KA', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'SM', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'KS', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('101', 2026, 'DL', 2601010001, '00');
INSERT INTO cisdokl (STREDISKO, ROK, TYPD, CISLO0, CISLOPC) VALUES ('102', 2026, 'KS', 2601020001, '00');

-- Stock cards. Item descriptions (names, species, variety, grade, unit) are filled from the
-- price list after the insert. Suppliers: 0441 Agro Dolany, 0512 ZZN Polabí, 0733 Krmiva Morava.
INSERT INTO skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, MISTO, NOMENKLA, NC, PC, ZUSTATEK, SMESI,
  ULC, VLAST_VYRO, ICO, NAZEVPODNI, SIDLO, ZAHRPARTIE, REZERVACE, ZALOZENA, POZNAMKA) VALUES
('250000101', '101', '0441', 0, '250000101-0441', 'S01', '111001', 5.20, 6.10, 3950, 1050, 'L25-0811', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2025-10-14', 'Vlhkost 13,2 %'),
('250000102', '101', '0512', 0, '250000102-0512', 'S02', '111001', 5.35, 6.20, 1890, 610, 'L26-0701', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000102', '101', '0512', 1, '250000102-0512', 'S03', '111001', 5.35, 6.20, 500, 0, 'L26-0701', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', 'Dělená partie – silo 3'),
('250000103', '101', '0441', 0, '250000103-0441', 'S03', '111003', 5.00, 5.90, 2380, 1220, 'L25-0902', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2025-10-14', ''),
('250000103', '101', '0441', 60, '250000103-0441', 'S03', '111003', 5.25, 5.90, 400, 0, 'L25-0902', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2026-07-22', 'Kalkulace sušení KA 2601010001'),
('250000104', '101', '0512', 0, '250000104-0512', 'S04', '111002', 4.80, 5.60, 2400, 800, 'L26-0702', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000104', '101', '0512', 61, '250000104-0512', 'S04', '111002', 4.95, 5.60, 300, 0, 'L26-0702', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-24', 'Kalkulace čištění KA 2601010002'),
('250000105', '101', '0441', 0, '250000105-0441', 'H01', '112001', 11.50, 13.20, 1550, 450, 'L25-1015', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', 'BRSOY2025/0871', 0, '2025-10-14', 'Dovoz Brazílie, bez GMO certifikátu'),
('250000106', '101', '0512', 0, '250000106-0512', 'H01', '112001', 11.80, 13.50, 1260, 240, 'L26-0703', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', 'ARGSOY-25-1142', 0, '2026-07-06', ''),
('250000107', '101', '0733', 0, '250000107-0733', 'H02', '113001', 28.00, 32.00, 720, 80, 'MD26-044', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('250000108', '101', '0733', 0, '250000108-0733', 'H02', '113003', 1.80, 2.30, 1860, 140, 'VA26-102', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('250000109', '101', '0733', 0, '250000109-0733', 'H02', '113004', 3.50, 4.20, 440, 60, 'SU26-017', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('250000110', '101', '0512', 0, '250000110-0512', 'H01', '112002', 7.20, 8.30, 2160, 340, 'L26-0704', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000111', '101', '0733', 0, '250000111-0733', 'H02', '114001', 45.00, 52.00, 376, 24, 'PX26-311', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', 'DE-PMX-88124', 100, '2026-07-15', 'Rezervace 100 kg pro Farmu Zelená Hora'),
('250000112', '101', '0733', 0, '250000112-0733', 'H02', '113005', 24.00, 27.50, 584, 16, 'FO26-020', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('250000113', '101', '0733', 0, '250000113-0733', 'H02', '113002', 26.00, 30.00, 900, 100, 'MS/N/25/117', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', 'Šarže /N/ – čeká na rozbor'),
('250000114', '101', '0512', 0, '250000114-0512', 'S05', '111004', 4.30, 5.10, 2200, 300, 'L26-0705', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000115', '101', '0733', 0, '250000115-0733', 'H02', '114004', 18.50, 21.00, 430, 70, 'SY26-008', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('557900002', '101', '0733', 0, '557900002-0733', 'H02', '114006', 120.00, 135.00, 15, 5, 'PB26-002', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', 'Doplněk, nezapočítává se do směsi'),
('250000116', '101', '0512', 0, '250000116-0512', 'S06', '111005', 4.60, 5.40, 3000, 0, 'L26-0706', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000117', '101', '0733', 0, '250000117-0733', 'H02', '114002', 42.00, 48.00, 200, 0, 'LY26-004', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', 'CN-LYS-2025-07', 0, '2026-07-15', ''),
('250000118', '101', '0733', 0, '250000118-0733', 'H02', '114003', 95.00, 108.00, 100, 0, 'ME26-003', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', 'DE-MET-4471', 0, '2026-07-15', ''),
('250000119', '101', '0512', 0, '250000119-0512', 'S07', '111003', 5.10, 5.90, 3000, 0, 'L26-0707', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000120', '101', '0441', 0, '250000120-0441', 'S01', '111001', 5.25, 6.10, 0, 0, 'L25-0812', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2025-10-20', 'Vyskladněno'),
('250000121', '101', '0512', 0, '250000121-0512', 'S08', '111006', 6.40, 7.30, 1500, 0, 'L26-0708', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000122', '101', '0512', 0, '250000122-0512', 'H01', '112003', 6.10, 7.00, 1000, 0, 'L26-0709', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000123', '101', '0512', 0, '250000123-0512', 'H01', '112004', 6.80, 7.80, 800, 0, 'L26-0710', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000124', '101', '0733', 0, '250000124-0733', 'H02', '114005', 32.00, 36.00, 300, 0, 'OL26-011', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-15', ''),
('250000125', '101', '0512', 0, '250000125-0512', 'H01', '112005', 3.90, 4.60, 1200, 0, 'L26-0711', ' ', '46901234', 'ZZN Polabí a.s.', 'Nymburk, Tovární 1024', '', 0, '2026-07-06', ''),
('250000201', '102', '0441', 0, '250000201-0441', 'S01', '111001', 5.15, 6.10, 1750, 250, 'L26-0720', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2026-07-20', ''),
('250000202', '102', '0441', 0, '250000202-0441', 'S02', '111002', 4.70, 5.60, 1350, 150, 'L26-0721', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2026-07-20', ''),
('250000203', '102', '0441', 0, '250000203-0441', 'H01', '112001', 11.60, 13.20, 715, 85, 'L26-0722', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', 'BRSOY2025/0902', 0, '2026-07-20', ''),
('250000204', '102', '0441', 0, '250000204-0441', 'S03', '111003', 4.95, 5.90, 1000, 0, 'L26-0723', ' ', '25412345', 'Agro Dolany a.s.', 'Dolany 45, 783 16', '', 0, '2026-07-20', ''),
('250000107', '102', '0733', 1, '250000107-0733', 'H02', '113001', 28.00, 32.00, 185, 15, 'MD26-044', ' ', '27765432', 'Krmiva Morava s.r.o.', 'Prostějov, Olomoucká 8', '', 0, '2026-07-20', 'Část dodávky složena na 102');

-- Minerals come in 25 kg sacks.
UPDATE skarta SET POCETO1 = 40, VAHAO1 = 25, MNOMENKLA1 = '195025', MO1 = 'Pytel papírový 25 kg', EK1 = 'F00123456',
  VAHAOBALU = 0.18, VAHACELKO1 = 25
 WHERE PARTIE = '250000107';

-- Cards of the produced mixes (own products). 552600003/60 is the calculation fraction of
-- KA 2601010003, 552600003 on 102 came by VP 2601010001, 553000001 is the mix of SM 2601010001.
INSERT INTO skarta (PARTIE, STREDISKO, PODNIK, LOMENI, PARTIECELA, MISTO, NOMENKLA, NC, PC, ZUSTATEK, SMESI,
  VLAST_VYRO, ICO, NAZEVPODNI, SIDLO, POCETO1, VAHAO1, MNOMENKLA1, MO1, EK1, VAHAOBALU, VAHACELKO1,
  POPIS, NAVESKY, ZALOZENA, POZNAMKA) VALUES
('552500001', '101', '', 0, '552500001', 'E01', '150001', 6.40, 7.90, 500, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 20, 25, '195025', 'Pytel papírový 25 kg', 'F00123456', 0.18, 25, 'Sypká směs, balení 25 kg', 'Návěsky 2025/1201–1220', '2025-12-15', ''),
('552600001', '101', '', 0, '552600001', 'E01', '150001', 7.84, 9.50, 1000, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 40, 25, '195025', 'Pytel papírový 25 kg', 'F00123456', 0.18, 25, 'Sypká směs, balení 25 kg', 'Návěsky 2026/0801–0840', '2026-08-05', ''),
('552600002', '101', '', 0, '552600002', 'E01', '150002', 9.15, 11.20, 800, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 32, 25, '195025', 'Pytel papírový 25 kg', 'F00123456', 0.18, 25, 'Výkrmová směs BR2, pytle 25 kg', 'Návěsky 2026/0901–0932', '2026-09-09', ''),
('552600003', '101', '', 0, '552600003', 'E02', '150003', 6.83, 8.20, 500, 400, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 2, 1000, '195100', 'Vak big bag 1000 kg', 'F00123456', 2.5, 1000, 'Produkční směs, big bag 1000 kg', 'BB 2026/101–102', '2026-10-06', ''),
('552600003', '101', '', 60, '552600003', 'E02', '150003', 7.10, 8.20, 100, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 0, 0, '', '', '', 0, 0, 'Produkční směs – kalkulace', '', '2026-10-20', 'Kalkulace KA 2601010003'),
('552600004', '101', '', 0, '552600004', 'E01', '150004', 0, 10.90, 900, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 40, 25, '195025', 'Pytel papírový 25 kg', 'F00123456', 0.18, 25, 'Odchovná směs, pytle 25 kg', 'Návěsky 2026/1101–1140', '2026-11-03', 'Nepotvrzená směs'),
('553000001', '101', '', 0, '553000001', 'E02', '150006', 5.72, 7.00, 600, 0, 'A', '00123456', 'ZD Horní Lhota', 'Horní Lhota 112, 588 12', 0, 0, '', '', '', 0, 0, 'Šrotová směs volně ložená', '', '2026-10-22', ''),
('552600005', '102', '', 0, '552600005', 'E01', '150005', 6.80, 8.40, 500, 0, 'A', '00123456', 'ZD Horní Lhota', 'Dolní Újezd 7, 588 14', 20, 25, '195025', 'Pytel papírový 25 kg', 'F00123456', 0.18, 25, 'Výkrmová směs, pytle 25 kg', 'Návěsky 2026/1118–1137', '2026-11-18', ''),
('552600003', '102', '', 0, '552600003', 'E01', '150003', 6.83, 8.20, 200, 0, 'A', '00123456', 'ZD Horní Lhota', 'Dolní Újezd 7, 588 14', 0, 0, '', '', '', 0, 0, 'Produkční směs, převod z 101', '', '2026-10-15', '');

UPDATE skarta s JOIN cenik c ON c.NOMENKLA = s.NOMENKLA
   SET s.NAZEVOSIVA = c.NAZEVOSIVA, s.MJ = c.MJ, s.DRUH = c.DRUH, s.ODRUDA = c.ODRUDA, s.STUPEN = c.STUPEN,
       s.NAZ_DRU = c.NAZ_DRU, s.NAZ_ODRU = c.NAZ_ODRU;

-- Receipts of the component batches.
INSERT INTO pv (cislodokla, stredisko, dp, datum, datumzauct, cislofakt, nazevpodni) VALUES
('2501010001', '101', '01', '2025-10-14', '2025-10-31', 'FP25001871', 'Agro Dolany a.s.'),
('2601010001', '101', '01', '2026-07-06', '2026-07-31', 'FP26000912', 'ZZN Polabí a.s.'),
('2601010002', '101', '01', '2026-07-15', '2026-07-31', 'FP26001044', 'Krmiva Morava s.r.o.'),
('2601020001', '102', '01', '2026-07-20', '2026-07-31', 'FP26001120', 'Agro Dolany a.s.');

INSERT INTO pvrad (cislodokla, partie, podnik, partiecela, lomeni, hmotnostpv, nc, nomenkla) VALUES
('2501010001', '250000101', '0441', '250000101-0441', 0, 5000, 5.20, '111001'),
('2501010001', '250000103', '0441', '250000103-0441', 0, 4000, 5.00, '111003'),
('2501010001', '250000105', '0441', '250000105-0441', 0, 2000, 11.50, '112001'),
('2601010001', '250000102', '0512', '250000102-0512', 0, 2500, 5.35, '111001'),
('2601010001', '250000102', '0512', '250000102-0512', 1, 500, 5.35, '111001'),
('2601010001', '250000104', '0512', '250000104-0512', 0, 3500, 4.80, '111002'),
('2601010001', '250000106', '0512', '250000106-0512', 0, 1500, 11.80, '112001'),
('2601010001', '250000110', '0512', '250000110-0512', 0, 2500, 7.20, '112002'),
('2601010001', '250000114', '0512', '250000114-0512', 0, 2500, 4.30, '111004'),
('2601010001', '250000116', '0512', '250000116-0512', 0, 3000, 4.60, '111005'),
('2601010001', '250000119', '0512', '250000119-0512', 0, 3000, 5.10, '111003'),
('2601010001', '250000121', '0512', '250000121-0512', 0, 1500, 6.40, '111006'),
('2601010001', '250000122', '0512', '250000122-0512', 0, 1000, 6.10, '112003'),
('2601010001', '250000123', '0512', '250000123-0512', 0, 800, 6.80, '112004'),
('2601010001', '250000125', '0512', '250000125-0512', 0, 1200, 3.90, '112005'),
('2601010002', '250000107', '0733', '250000107-0733', 0, 800, 28.00, '113001'),
('2601010002', '250000108', '0733', '250000108-0733', 0, 2000, 1.80, '113003'),
('2601010002', '250000109', '0733', '250000109-0733', 0, 500, 3.50, '113004'),
('2601010002', '250000111', '0733', '250000111-0733', 0, 400, 45.00, '114001'),
('2601010002', '250000112', '0733', '250000112-0733', 0, 600, 24.00, '113005'),
('2601010002', '250000113', '0733', '250000113-0733', 0, 1000, 26.00, '113002'),
('2601010002', '250000115', '0733', '250000115-0733', 0, 500, 18.50, '114004'),
('2601010002', '250000117', '0733', '250000117-0733', 0, 200, 42.00, '114002'),
('2601010002', '250000118', '0733', '250000118-0733', 0, 100, 95.00, '114003'),
('2601010002', '250000124', '0733', '250000124-0733', 0, 300, 32.00, '114005'),
('2601010002', '557900002', '0733', '557900002-0733', 0, 20, 120.00, '114006'),
('2601020001', '250000201', '0441', '250000201-0441', 0, 2000, 5.15, '111001'),
('2601020001', '250000202', '0441', '250000202-0441', 0, 1500, 4.70, '111002'),
('2601020001', '250000203', '0441', '250000203-0441', 0, 800, 11.60, '112001'),
('2601020001', '250000204', '0441', '250000204-0441', 0, 1000, 4.95, '111003'),
('2601020001', '250000107', '0733', '250000107-0733', 1, 200, 28.00, '113001');

-- Feed-mix documents, each saved as the module saves: lines first, then the mix row. Rows of
-- a document share its date, cost centre, language and posting date.
INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2501010001', '101', '250000101', '0441', 0, '250000101-0441', '111001', 250, 50, 5.20, 0, '2025-12-15', '0', '2025-12-31', '2025', '', '', 'C'),
('2501010001', '101', '250000103', '0441', 0, '250000103-0441', '111003', 150, 30, 5.00, 0, '2025-12-15', '0', '2025-12-31', '2025', '', '', 'C'),
('2501010001', '101', '250000105', '0441', 0, '250000105-0441', '112001', 100, 20, 11.50, 0, '2025-12-15', '0', '2025-12-31', '2025', '', '', 'C'),
('2501010001', '101', '552500001', '', 0, '552500001', '150001', 500, 100, 6.40, 7.90, '2025-12-15', '1', '2025-12-31', '2025', 'Sypká směs, balení 25 kg', 'zemědělská výroba', 'C');

INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601010001', '101', '250000101', '0441', 0, '250000101-0441', '111001', 400, 40, 5.20, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '250000103', '0441', 0, '250000103-0441', '111003', 250, 25, 5.00, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '250000105', '0441', 0, '250000105-0441', '112001', 200, 20, 11.50, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '250000108', '0733', 0, '250000108-0733', '113003', 80, 8, 1.80, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '250000107', '0733', 0, '250000107-0733', '113001', 50, 5, 28.00, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '250000109', '0733', 0, '250000109-0733', '113004', 20, 2, 3.50, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', 'MIC', '', 0, 'MIC', '190001', 1000, 0, 0.60, 0, '2026-08-05', '0', '2026-08-31', '2026', '', '', 'C'),
('2601010001', '101', '552600001', '', 0, '552600001', '150001', 1000, 100, 7.84, 9.50, '2026-08-05', '1', '2026-08-31', '2026', 'Sypká směs, balení 25 kg', 'zemědělská výroba', 'C');

INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601010002', '101', '250000103', '0441', 0, '250000103-0441', '111003', 320, 40, 5.00, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '250000102', '0512', 0, '250000102-0512', '111001', 160, 20, 5.35, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '250000106', '0512', 0, '250000106-0512', '112001', 240, 30, 11.80, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '250000110', '0512', 0, '250000110-0512', '112002', 40, 5, 7.20, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '250000111', '0733', 0, '250000111-0733', '114001', 24, 3, 45.00, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '250000112', '0733', 0, '250000112-0733', '113005', 16, 2, 24.00, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', 'SRO', '', 0, 'SRO', '190002', 800, 0, 0.35, 0, '2026-09-09', '0', '2002-11-11', '2026', '', '', 'C'),
('2601010002', '101', '552600002', '', 0, '552600002', '150002', 800, 100, 9.15, 11.20, '2026-09-09', '1', '2002-11-11', '2026', 'Výkrmová směs BR2, pytle 25 kg', 'zemědělská výroba', 'C');

INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601010003', '101', '250000104', '0512', 0, '250000104-0512', '111002', 600, 30, 4.80, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000101', '0441', 0, '250000101-0441', '111001', 400, 20, 5.20, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000103', '0441', 0, '250000103-0441', '111003', 500, 25, 5.00, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000110', '0512', 0, '250000110-0512', '112002', 300, 15, 7.20, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000113', '0733', 0, '250000113-0733', '113002', 100, 5, 26.00, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000108', '0733', 0, '250000108-0733', '113003', 60, 3, 1.80, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '250000109', '0733', 0, '250000109-0733', '113004', 40, 2, 3.50, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', 'MIC', '', 0, 'MIC', '190001', 2000, 0, 0.60, 0, '2026-10-06', '0', NULL, '2026', '', '', 'C'),
('2601010003', '101', '552600003', '', 0, '552600003', '150003', 2000, 100, 6.83, 8.20, '2026-10-06', '1', NULL, '2026', 'Produkční směs, big bag 1000 kg', 'zemědělská výroba', 'C');

INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601010004', '101', '552600003', '', 0, '552600003', '150003', 250, 25, 6.83, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '250000114', '0512', 0, '250000114-0512', '111004', 300, 30, 4.30, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '250000104', '0512', 0, '250000104-0512', '111002', 200, 20, 4.80, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '250000105', '0441', 0, '250000105-0441', '112001', 150, 15, 11.50, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '250000115', '0733', 0, '250000115-0733', '114004', 70, 7, 18.50, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '250000107', '0733', 0, '250000107-0733', '113001', 30, 3, 28.00, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '557900002', '0733', 0, '557900002-0733', '114006', 5, 0, 120.00, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', 'MIC', '', 0, 'MIC', '190001', 1000, 0, 0.60, 0, '2026-11-03', '0', '1900-01-01', '2026', '', '', 'C'),
('2601010004', '101', '552600004', '', 0, '552600004', '150004', 1000, 100, 0, 10.90, '2026-11-03', '1', '1900-01-01', '2026', 'Odchovná směs, pytle 25 kg', 'zemědělská výroba', 'C');

INSERT INTO pelmixi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601020001', '102', '250000201', '0441', 0, '250000201-0441', '111001', 250, 50, 5.15, 0, '2026-11-18', '0', NULL, '2026', '', '', 'N'),
('2601020001', '102', '250000202', '0441', 0, '250000202-0441', '111002', 150, 30, 4.70, 0, '2026-11-18', '0', NULL, '2026', '', '', 'N'),
('2601020001', '102', '250000203', '0441', 0, '250000203-0441', '112001', 85, 17, 11.60, 0, '2026-11-18', '0', NULL, '2026', '', '', 'N'),
('2601020001', '102', '250000107', '0733', 1, '250000107-0733', '113001', 15, 3, 28.00, 0, '2026-11-18', '0', NULL, '2026', '', '', 'N'),
('2601020001', '102', '552600005', '', 0, '552600005', '150005', 500, 100, 6.80, 8.40, '2026-11-18', '1', NULL, '2026', 'Výkrmová směs, pytle 25 kg', 'nezemědělská výroba', 'N');

-- A mix of the sibling mixing module that consumed part of 552600003.
INSERT INTO smesi (cislodokla, stredisko, partie, podnik, lomeni, partiecela, nomenkla, mnozstvi, pr, nc, pc,
  datum, smes, datumzauct, rokd, popis, cinnost, jazyk) VALUES
('2601010001', '101', '552600003', '', 0, '552600003', '150003', 150, 25, 6.83, 0, '2026-10-22', '0', NULL, '2026', '', '', 'C'),
('2601010001', '101', '250000102', '0512', 0, '250000102-0512', '111001', 450, 75, 5.35, 0, '2026-10-22', '0', NULL, '2026', '', '', 'C'),
('2601010001', '101', '553000001', '', 0, '553000001', '150006', 600, 100, 5.72, 7.00, '2026-10-22', '1', NULL, '2026', 'Šrotová směs volně ložená', 'zemědělská výroba', 'C');

-- Issue slip (posted), delivery notes, transfer to 102, and calculations: drying and cleaning of
-- two component batches, and a recalculated fraction of the mix 552600003.
INSERT INTO vn (cislodokla, stredisko, druhvydeje, datumvn1, datumzauct, cislofakt, nazevpodni) VALUES
('2601010001', '101', '02', '2026-10-12', '2026-10-31', 'FV26000412', 'Farma Zelená Hora s.r.o.');

INSERT INTO vnrad (cislodokla, partie, podnik, partiecela, lomeni, hmotnostvn, nc, nomenkla) VALUES
('2601010001', '552600003', '', '552600003', 0, 500, 6.83, '150003');

INSERT INTO dl (cislodokla, stredisko, datumvn1, datumzauct, nazevpodni) VALUES
('2601010001', '101', '2026-10-14', NULL, 'ZD Horní Lhota – farma Lhota'),
('2601010002', '101', '2026-11-10', NULL, 'Farma Zelená Hora s.r.o.');

INSERT INTO dlrad (cislodokla, partie, podnik, partiecela, lomeni, hmotnostvn, nc, nomenkla) VALUES
('2601010001', '552600003', '', '552600003', 0, 300, 6.83, '150003'),
('2601010002', '552600004', '', '552600004', 0, 100, 0, '150004');

-- A delivery of the sibling module's mix 553000001, whose components trace back through the
-- feed mix 552600003 to the receipts of its component batches (two levels up).
INSERT INTO dl (cislodokla, stredisko, datumvn1, datumzauct, nazevpodni) VALUES
('2601010003', '101', '2026-11-24', NULL, 'Statek Budín s.r.o.');

INSERT INTO dlrad (cislodokla, partie, podnik, partiecela, lomeni, hmotnostvn, nc, nomenkla) VALUES
('2601010003', '553000001', '', '553000001', 0, 250, 7.00, '150006');

INSERT INTO vp (cislodokla, stredisko, nastredisko, pohyb, datum, datumzauct, mnozstvi, partie, podnik, partiecela,
  lomeni, nc, nomenkla) VALUES
('2601010001', '101', '102', '31', '2026-10-15', NULL, 200, '552600003', '', '552600003', 0, 6.83, '150003');

INSERT INTO pv9 (cislodokla, stredisko, pohyb, datum, datumzauct, mnozstvi, nc, partie, podnik, partiecela, lomeni,
  nomenkla) VALUES
('2601010001', '101', '1', '2026-07-22', '2026-07-31', 400, 5.00, '250000103', '0441', '250000103-0441', 0, '111003'),
('2601010001', '101', '9', '2026-07-22', '2026-07-31', 400, 5.25, '250000103', '0441', '250000103-0441', 60, '111003'),
('2601010002', '101', '1', '2026-07-24', '2026-07-31', 300, 4.80, '250000104', '0512', '250000104-0512', 0, '111002'),
('2601010002', '101', '9', '2026-07-24', '2026-07-31', 300, 4.95, '250000104', '0512', '250000104-0512', 61, '111002'),
('2601010003', '101', '1', '2026-10-20', NULL, 100, 6.83, '552600003', '', '552600003', 0, '150003'),
('2601010003', '101', '9', '2026-10-20', NULL, 100, 7.10, '552600003', '', '552600003', 60, '150003');

-- Item descriptions of all document lines follow the price list, and a line picked from a
-- stock card carries the card's foreign batch code, cut to the width of ulc, as its lot.
UPDATE pelmixi p JOIN cenik c ON c.NOMENKLA = p.nomenkla
   SET p.nazevosiva = c.NAZEVOSIVA, p.mj = c.MJ, p.druh = c.DRUH, p.odruda = c.ODRUDA, p.stupen = c.STUPEN,
       p.naz_dru = c.NAZ_DRU, p.naz_odru = c.NAZ_ODRU;
UPDATE pelmixi p JOIN skarta s ON s.PARTIECELA = p.partiecela AND s.LOMENI = p.lomeni AND s.STREDISKO = p.stredisko
   SET p.ulc = LEFT(s.ZAHRPARTIE, 13)
 WHERE p.smes <> '1';
UPDATE smesi p JOIN cenik c ON c.NOMENKLA = p.nomenkla
   SET p.nazevosiva = c.NAZEVOSIVA, p.mj = c.MJ, p.druh = c.DRUH, p.odruda = c.ODRUDA, p.stupen = c.STUPEN,
       p.naz_dru = c.NAZ_DRU, p.naz_odru = c.NAZ_ODRU;
UPDATE pvrad r JOIN cenik c ON c.NOMENKLA = r.nomenkla
   SET r.nazevosiva = c.NAZEVOSIVA, r.mj = c.MJ, r.druh = c.DRUH, r.odruda = c.ODRUDA, r.stupen = c.STUPEN,
       r.naz_dru = c.NAZ_DRU, r.naz_odru = c.NAZ_ODRU;
UPDATE dlrad r JOIN cenik c ON c.NOMENKLA = r.nomenkla
   SET r.nazevosiva = c.NAZEVOSIVA, r.mj = c.MJ, r.druh = c.DRUH, r.odruda = c.ODRUDA, r.stupen = c.STUPEN,
       r.naz_dru = c.NAZ_DRU, r.naz_odru = c.NAZ_ODRU;
UPDATE vnrad r JOIN cenik c ON c.NOMENKLA = r.nomenkla
   SET r.nazevosiva = c.NAZEVOSIVA, r.mj = c.MJ, r.druh = c.DRUH, r.odruda = c.ODRUDA, r.stupen = c.STUPEN,
       r.naz_dru = c.NAZ_DRU, r.naz_odru = c.NAZ_ODRU;
UPDATE vp r JOIN cenik c ON c.NOMENKLA = r.nomenkla
   SET r.nazevosiva = c.NAZEVOSIVA, r.mj = c.MJ, r.druh = c.DRUH, r.odruda = c.ODRUDA, r.stupen = c.STUPEN,
       r.naz_dru = c.NAZ_DRU, r.naz_odru = c.NAZ_ODRU;
UPDATE pv9 r JOIN cenik c ON c.NOMENKLA = r.nomenkla
   SET r.nazevosiva = c.NAZEVOSIVA, r.mj = c.MJ, r.druh = c.DRUH, r.odruda = c.ODRUDA, r.stupen = c.STUPEN,
       r.naz_dru = c.NAZ_DRU, r.naz_odru = c.NAZ_ODRU;

-- Activity history of the module: starts and the saves of the documents above.
INSERT INTO historiem (modul, pc, stredisko, datumcas, ipadr, computeruser, computername, mdatumcas, mverze) VALUES
('Krmné směsi', '00', '', '2026-11-03 07:42:10', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1'),
('Krmné směsi', '00', '', '2026-11-18 07:55:31', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1');

INSERT INTO historied (modul, pc, stredisko, datumcas, ipadr, computeruser, computername, mdatumcas, mverze, doklad,
  cislodokla, misto, identifik) VALUES
('KR směsi', '00', '101', '2025-12-15 10:12:05', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2025-11-02 09:30:00', '1.0.0.0', 'KS', '2501010001', '', '0000251215101205'),
('KR směsi', '00', '101', '2026-08-05 09:20:44', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1', 'KS', '2601010001', '', '0000260805092044'),
('KR směsi', '00', '101', '2026-09-09 13:05:17', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1', 'KS', '2601010002', '', '0000260909130517'),
('KR směsi', '00', '101', '2026-10-06 08:47:59', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1', 'KS', '2601010003', '', '0000261006084759'),
('KR směsi', '00', '101', '2026-11-03 11:31:26', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1', 'KS', '2601010004', '', '0000261103113126'),
('KR směsi', '00', '102', '2026-11-18 08:15:02', '192.168.10.21', 'novakova', 'MICHARNA-PC', '2026-06-30 08:00:00', '1.0.0.1', 'KS', '2601020001', '', '0000261118081502');
