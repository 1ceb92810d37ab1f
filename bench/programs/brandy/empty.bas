1 REM result: ; scale: 1
10 END
