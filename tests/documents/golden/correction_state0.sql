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
delete from skarta
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
insert into skarta 
(PARTIE,STREDISKO,PODNIK,LOMENI,PARTIECELA,
NOMENKLA,NAZEVOSIVA,MJ,DRUH,ODRUDA,STUPEN,
NAZ_DRU,NAZ_ODRU,NC,PC,ZUSTATEK,POPIS,VLAST_VYRO,
MNOMENKLA1,MO1,VAHAOBALU,EK1,VAHAO1,POCETO1,NAVESKY,
ZALOZENA,VAHACELKO1)
 values (
'552600101',
'12',
'',
'0',
'552600101',
'150001',
'Krmná směs KS-1',
'kg',
'KS',
'',
'',
'Krmná směs',
'',
05.28,
07.9,
01100,
'Směs pro O''Briena',
'A',
'195025',
'Pytel 25 kg',
00.18,
'F00123456',
025,
048,
'Návěsky 1–20',
'2024-09-30',
025)
;
COMMIT;
