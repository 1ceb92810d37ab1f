1 REM result: LINES 100000 BYTES 9800000; scale: 1
2 OSCLI "SPOOL brandy.out"
10 A$ = STRING$(98, "X")
20 F% = OPENOUT("seq.txt")
30 FOR I% = 1 TO 100000
40 BPUT#F%, A$
50 NEXT I%
60 CLOSE#F%
70 F% = OPENIN("seq.txt")
80 N% = 0: B% = 0
90 REPEAT
100 L$ = GET$#F%
110 N% = N% + 1: B% = B% + LEN(L$)
120 UNTIL EOF#F%
130 CLOSE#F%
140 PRINT "LINES "; N%; " BYTES "; B%
