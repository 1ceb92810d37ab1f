1 REM result: 0; scale: 1
10 DIM S$(99,999)
20 PRINT LEN(S$(99,999))
