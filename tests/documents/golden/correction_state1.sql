BEGIN;
SET @CiDo = '2024120007'
;
SET @RokDo = '2024'
;
delete from pelmixi where cislodokla = '2024120007'
;
update skarta
 set zustatek = zustatek + 
0300
, smesi = smesi - 
0300
 where partiecela = '250000101-0441'
 and lomeni = '0'
 and stredisko = '12'
;
update skarta
 set zustatek = zustatek + 
01000
, smesi = smesi - 
01000
 where partiecela = 'P01'
 and lomeni = '0'
 and stredisko = '12'
;
update skarta
 set zustatek = zustatek - 
1000
 where partiecela = '552600101'
 and lomeni = '0'
 and stredisko = '12'
;
insert into pelmixi 
(cislodokla,rokd,stredisko,partie,podnik,lomeni,partiecela,
nomenkla,nazevosiva,mnozstvi,mj,pc,nc,pr,ulc,smes,datum,
druh,odruda,stupen,naz_dru,naz_odru,jazyk)
 values(
@CiDo,
@RokDo,
'12',
'250000101',
'0441',
'0',
'250000101-0441',
'111001',
'Pšenice krmná',
012.5,
'kg',
0,
05.2,
01.25,
'L25-0811',
0,
'2024-09-30',
'PS',
'BOH',
'C1',
'pšenice ozimá',
'Bohemia',
'C')
;
update skarta
 set zustatek = zustatek - 
012.5
, smesi = smesi + 
012.5
 where partiecela = '250000101-0441'
 and lomeni = 0
 and stredisko = '12'
;
insert into pelmixi 
(cislodokla,rokd,stredisko,partie,podnik,lomeni,partiecela,
nomenkla,nazevosiva,mnozstvi,mj,pc,nc,pr,ulc,smes,datum,
druh,odruda,stupen,naz_dru,naz_odru,jazyk)
 values(
@CiDo,
@RokDo,
'12',
'250000103',
'0441',
'1',
'250000103-0441',
'111001',
'Pšenice krmná',
0987.5,
'kg',
00,
05,
098.75,
'L25-0811',
00,
'2024-09-30',
'PS',
'BOH',
'C1',
'pšenice ozimá',
'Bohemia',
'C')
;
update skarta
 set zustatek = zustatek - 
0987.5
, smesi = smesi + 
0987.5
 where partiecela = '250000103-0441'
 and lomeni = 1
 and stredisko = '12'
;
insert into pelmixi 
(cislodokla,rokd,stredisko,partie,podnik,lomeni,partiecela,
nomenkla,nazevosiva,mnozstvi,mj,pc,nc,pr,ulc,smes,datum,
druh,odruda,stupen,naz_dru,naz_odru,jazyk)
 values(
@CiDo,
@RokDo,
'12',
'P01',
'',
'0',
'P01',
'900001',
'Míchání',
01000,
'kg',
0,
00.4,
00,
'',
00,
'2024-09-30',
'',
'',
'',
'',
'',
'C')
;
update skarta
 set zustatek = zustatek - 
01000
, smesi = smesi + 
01000
 where partiecela = 'P01'
 and lomeni = 0
 and stredisko = '12'
;
insert into historied set modul = "KR směsi", pc = "07", stredisko = "12",datumcas = "2026-03-04 05:06:07",ipadr = "10.0.0.7", computeruser = "jnovak", computername = "MICHARNA1",mdatumcas = "2026-01-02 03:04:05", mverze="1.0.0.1",doklad = "KS", cislodokla=@CiDo,misto="",identifik="0707260304050607";
insert into pelmixi 
(cislodokla,rokd,stredisko,partie,podnik,lomeni,partiecela,
nomenkla,nazevosiva,mnozstvi,mj,pc,nc,pr,ulc,smes,datum,
druh,odruda,stupen,naz_dru,naz_odru,popis,cinnost,jazyk)
 values(
@CiDo,
@RokDo,
'12',
'552600101',
'',
'0',
'552600101',
'150001',
'Krmná směs KS-1',
01100,
'kg',
07.9,
05.28,
0100,
'',
01,
'2024-09-30',
'KS',
'',
'',
'Krmná směs',
'',
'Směs pro O''Briena',
'zemědělská výroba',
'C')
;
UPDATE skarta SET 
ZUSTATEK=ZUSTATEK+1100,
VLAST_VYRO=' '
 where partiecela = '552600101'
 and stredisko = '12'
 and lomeni = '0'
;
UPDATE skarta SET 
NC=5.28,
PC=7.9,
NOMENKLA='150001',
NAZEVOSIVA='Krmná směs KS-1',
MJ='kg',
DRUH='KS',
ODRUDA='',
STUPEN='',
NAZ_DRU='Krmná směs',
NAZ_ODRU='',
POCETO1='48',
VAHAO1=025,
MNOMENKLA1='195025',
MO1='Pytel 25 kg',
EK1='F00123456',
VAHAOBALU=00.18,
ZALOZENA=NOW(),
POPIS='Směs pro O''Briena',
NAVESKY='Návěsky 1–20',
PREPNATUNY=1,
vahacelko1=025
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE pvrad SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE dlrad SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE vnrad SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE vp SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE pv9 SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE smesi SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
UPDATE pelmixi SET 
nomenkla = '150001',
nazevosiva = 'Krmná směs KS-1',
mj = 'kg',
druh = 'KS',
odruda = '',
stupen = '',
naz_dru = 'Krmná směs',
naz_odru = '',
nc = 5.28
 where partiecela = '552600101'
 and lomeni = '0'
;
COMMIT;
