@echo off
cd m34131ab
dir /b /s *.shp > ..\75831572.lst 2> NUL
dir /b /s *.mp >> ..\75831572.lst 2> NUL
cd ..
cd m34131cd
dir /b /s *.shp >> ..\75831572.lst 2> NUL
dir /b /s *.mp >> ..\75831572.lst 2> NUL
cd ..
geoconv -g -t typy.txt -i 75831572 m34-131 -@ 75831572.lst
del 75831572.lst

cd m34132ab
dir /b /s *.shp > ..\75831573.lst 2> NUL
dir /b /s *.mp >> ..\75831573.lst 2> NUL
cd ..
geoconv -g -t typy.txt -i 75831573 m34-132 -@ 75831573.lst
del 75831573.lst

cd n33001cd
dir /b /s *.shp > ..\75831732.lst 2> NUL
dir /b /s *.mp >> ..\75831732.lst 2> NUL
cd ..
geoconv -g -t typy.txt -i 75831732 n33-001 -@ 75831732.lst
del 75831732.lst

