<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>qx2010fp_About</name>
    <message>
        <source>About Orbelan %1 Soft Front Panel</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
