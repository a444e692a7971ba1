@echo off
del geoconv.lst 2> NUL
echo -i 75831572 m34-131 >> geoconv.lst
cd m34131ab
dir /b /s *.shp >> ..\geoconv.lst 2> NUL
dir /b /s *.mp >> ..\geoconv.lst 2> NUL
cd ..
cd m34131cd
dir /b /s *.shp >> ..\geoconv.lst 2> NUL
dir /b /s *.mp >> ..\geoconv.lst 2> NUL
cd ..
echo -i 75831573 m34-132 >> geoconv.lst
cd m34132ab
dir /b /s *.shp >> ..\geoconv.lst 2> NUL
dir /b /s *.mp >> ..\geoconv.lst 2> NUL
cd ..
echo -i 75831732 n33-001 >> geoconv.lst
cd n33001cd
dir /b /s *.shp >> ..\geoconv.lst 2> NUL
dir /b /s *.mp >> ..\geoconv.lst 2> NUL
cd ..
geoconv -@ geoconv.lst
del geoconv.lst

