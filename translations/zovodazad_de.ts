<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>AllowanceWatch</name>
    <message>
        <source>Under 30 % of the allowance left</source>
        <translation>Weniger als 30 % des Kontingents übrig</translation>
    </message>
    <message>
        <source>Under 15 % of the allowance left</source>
        <translation>Weniger als 15 % des Kontingents übrig</translation>
    </message>
    <message>
        <source>The allowance is used up</source>
        <translation>Das Kontingent ist aufgebraucht</translation>
    </message>
    <message>
        <source>Counted from %1.</source>
        <translation>Gezählt ab %1.</translation>
    </message>
</context>
<context>
    <name>Autostart</name>
    <message>
        <source>cannot create the folder %1</source>
        <translation>der Ordner %1 kann nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>--%1 takes a date as YYYY-MM-DD, not &apos;%2&apos;</source>
        <translation>--%1 erwartet ein Datum als JJJJ-MM-TT, nicht „%2“</translation>
    </message>
    <message>
        <source>report takes one kind of report, not &apos;%1&apos;</source>
        <translation>report erwartet eine einzige Berichtsart, nicht „%1“</translation>
    </message>
    <message>
        <source>unknown report &apos;%1&apos;; one of: %2</source>
        <translation>unbekannter Bericht „%1“; möglich sind: %2</translation>
    </message>
    <message>
        <source>--json and --csv exclude each other</source>
        <translation>--json und --csv schließen einander aus</translation>
    </message>
    <message>
        <source>--limit takes a whole number from 1 up, not &apos;%1&apos;</source>
        <translation>--limit erwartet eine ganze Zahl ab 1, nicht „%1“</translation>
    </message>
    <message>
        <source>--adapter takes an adapter&apos;s name</source>
        <translation>--adapter erwartet den Namen eines Adapters</translation>
    </message>
    <message>
        <source>status takes no argument &apos;%1&apos;</source>
        <translation>status nimmt kein Argument „%1“</translation>
    </message>
    <message>
        <source>--format knows only waybar, not &apos;%1&apos;</source>
        <translation>--format kennt nur waybar, nicht „%1“</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>unbekannter Befehl „%1“</translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>unbekannte Option „%1“</translation>
    </message>
    <message>
        <source>Usage: zovodazad [command] [options]
A network-traffic monitor for the notification area. Without a command it starts the tray program.

Commands:
  report [KIND]      the traffic log, read-only; the tray program may run meanwhile
       summary       today, yesterday, this week, this month with an estimate for its end, this year,
                     all time (the default)
       hours         the last 24 hours; a log row that spans hours is shared among them by time
       days          the last 30 days
       weeks         the last 12 ISO weeks
       months        the last 12 months
       years         every year
       top           the 10 days with the most traffic
       allowance     the volume allowance: limit, used, left, its window, an estimate for the window&apos;s end
                     and what may be used a day; exit status 0 green, 1 orange, 2 red or used up,
                     4 no allowance set
     A report exits 5 when the traffic log cannot be found or read.
     --json          one JSON document (octets as integers, ISO dates, &quot;jsonversion&quot;: 1)
     --csv           comma-separated values with a header line
     --begin DATE    only periods from DATE on (YYYY-MM-DD)
     --end DATE      only periods up to DATE
     --limit N       the newest N periods
     --adapter NAME  only the traffic of one adapter, from the per-adapter log (rows from before it have
                     none); for allowance, the adapter to count instead of the one set in Options
     --database PATH another database than the tray program&apos;s
  status             the running program&apos;s current rates, the volumes since its last log row and the
                     allowance; exit status 3 when no copy runs
     --json          one JSON object
     --format waybar a line for waybar&apos;s custom module
     --watch         again every second, until interrupted

Options:
  -h, --help         this text
  -v, --version      the version
A row counts in the period its start lies in, as the statistics window counts it; the period being counted
counts as its last save left it (at most a minute old).
</source>
        <translation>Aufruf: zovodazad [Befehl] [Optionen]
Ein Netzwerkverkehrsmonitor für den Infobereich. Ohne Befehl startet er das Programm im Infobereich.

Befehle:
  report [ART]       das Verkehrsprotokoll, nur lesend; das Programm im Infobereich darf dabei laufen
       summary       heute, gestern, diese Woche, dieser Monat mit einer Schätzung für sein Ende, dieses
                     Jahr, insgesamt (die Vorgabe)
       hours         die letzten 24 Stunden; eine Protokollzeile über mehrere Stunden wird nach der Zeit
                     auf sie verteilt
       days          die letzten 30 Tage
       weeks         die letzten 12 ISO-Wochen
       months        die letzten 12 Monate
       years         jedes Jahr
       top           die 10 Tage mit dem meisten Verkehr
       allowance     das Volumenkontingent: Grenze, verbraucht, übrig, sein Zeitraum, eine Schätzung für
                     das Ende des Zeitraums und was pro Tag verbraucht werden darf; Rückgabewert 0 grün,
                     1 orange, 2 rot oder aufgebraucht, 4 kein Kontingent festgelegt
     Ein Bericht endet mit 5, wenn das Verkehrsprotokoll nicht gefunden oder gelesen werden kann.
     --json          ein JSON-Dokument (Oktette als ganze Zahlen, ISO-Daten, &quot;jsonversion&quot;: 1)
     --csv           kommagetrennte Werte mit einer Kopfzeile
     --begin DATUM   nur Zeiträume ab DATUM (JJJJ-MM-TT)
     --end DATUM     nur Zeiträume bis DATUM
     --limit N       die neuesten N Zeiträume
     --adapter NAME  nur der Verkehr eines Adapters, aus dem Protokoll je Adapter (Zeilen von davor
                     haben keinen); bei allowance der Adapter, der statt des in den Optionen
                     festgelegten gezählt wird
     --database PFAD eine andere Datenbank als die des Programms im Infobereich
  status             die aktuellen Raten des laufenden Programms, die Volumen seit seiner letzten
                     Protokollzeile und das Kontingent; Rückgabewert 3, wenn keine Instanz läuft
     --json          ein JSON-Objekt
     --format waybar eine Zeile für das benutzerdefinierte Modul von waybar
     --watch         jede Sekunde erneut, bis zum Abbruch

Optionen:
  -h, --help         dieser Text
  -v, --version      die Version
Eine Zeile zählt in dem Zeitraum, in dem ihr Beginn liegt, so wie das Statistikfenster sie zählt; der gerade
gezählte Zeitraum zählt so, wie ihn seine letzte Sicherung hinterlassen hat (höchstens eine Minute alt).
</translation>
    </message>
    <message>
        <source>Try &apos;zovodazad --help&apos;.</source>
        <translation>Siehe „zovodazad --help“.</translation>
    </message>
    <message>
        <source>zovodazad: there is no traffic log at %1</source>
        <translation>zovodazad: unter %1 gibt es kein Verkehrsprotokoll</translation>
    </message>
    <message>
        <source>zovodazad: the traffic log %1 cannot be opened: %2</source>
        <translation>zovodazad: das Verkehrsprotokoll %1 lässt sich nicht öffnen: %2</translation>
    </message>
</context>
<context>
    <name>CsvExport</name>
    <message>
        <source>%1 already exists !<byte value="xd"/>
Overwrite ?</source>
        <translation>%1 existiert bereits!<byte value="xd"/>
Überschreiben?</translation>
    </message>
    <message>
        <source>Continue ?</source>
        <translation>Fortfahren?</translation>
    </message>
    <message>
        <source>Export Failed</source>
        <translation>Export fehlgeschlagen</translation>
    </message>
    <message>
        <source>Export Succeeded !</source>
        <translation>Export erfolgreich!</translation>
    </message>
    <message>
        <source>Success!</source>
        <translation>Erfolg!</translation>
    </message>
    <message>
        <source>Failed :-(</source>
        <translation>Fehlgeschlagen :-(</translation>
    </message>
</context>
<context>
    <name>DatabaseFile</name>
    <message>
        <source>The file is a database, but not a Zovodazad traffic log: its tables are missing.</source>
        <translation>Die Datei ist eine Datenbank, aber kein Verkehrsprotokoll von Zovodazad: Ihre Tabellen fehlen.</translation>
    </message>
    <message>
        <source>The database file is damaged (%1).</source>
        <translation>Die Datenbankdatei ist beschädigt (%1).</translation>
    </message>
    <message>
        <source>The database was written by a newer version of Zovodazad.</source>
        <translation>Die Datenbank wurde von einer neueren Version von Zovodazad geschrieben.</translation>
    </message>
    <message>
        <source>The per-adapter traffic log had a shape this version does not know. It is kept as table %1, and a new one is kept from now on; the rows before have no per-adapter figures.</source>
        <translation>Das Verkehrsprotokoll je Adapter hatte einen Aufbau, den diese Version nicht kennt. Es bleibt als Tabelle %1 erhalten, und ab jetzt wird ein neues geführt; die Zeilen davor haben keine Zahlen je Adapter.</translation>
    </message>
    <message>
        <source>The per-adapter traffic log was missing from the database. A new one is kept from now on; the rows before have no per-adapter figures.</source>
        <translation>Das Verkehrsprotokoll je Adapter fehlte in der Datenbank. Ab jetzt wird ein neues geführt; die Zeilen davor haben keine Zahlen je Adapter.</translation>
    </message>
    <message>
        <source>The folder %1 cannot be written to, so the database cannot be created there.</source>
        <translation>In den Ordner %1 kann nicht geschrieben werden, daher kann die Datenbank dort nicht angelegt werden.</translation>
    </message>
    <message>
        <source>The database %1 was deleted while Zovodazad was running, or moved to another drive.</source>
        <translation>Die Datenbank %1 wurde gelöscht, während Zovodazad lief, oder auf ein anderes Laufwerk verschoben.</translation>
    </message>
    <message>
        <source>The file now at %1 is used by another copy of Zovodazad.</source>
        <translation>Die Datei, die jetzt unter %1 liegt, wird von einer anderen Instanz von Zovodazad verwendet.</translation>
    </message>
    <message>
        <source>The traffic is logged in the file now at its place.</source>
        <translation>Der Verkehr wird in der Datei protokolliert, die jetzt an ihrer Stelle liegt.</translation>
    </message>
    <message>
        <source>A new database was made there for the traffic from now on.</source>
        <translation>Dort wurde für den Verkehr ab jetzt eine neue Datenbank angelegt.</translation>
    </message>
    <message>
        <source>The database file cannot be read: %1</source>
        <translation>Die Datenbankdatei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>The database %1 is a link to %2, which cannot be reached (%3).</source>
        <translation>Die Datenbank %1 ist eine Verknüpfung auf %2, das nicht erreichbar ist (%3).</translation>
    </message>
    <message>
        <source>The database file is empty.</source>
        <translation>Die Datenbankdatei ist leer.</translation>
    </message>
    <message>
        <source>The file is not a database.</source>
        <translation>Die Datei ist keine Datenbank.</translation>
    </message>
    <message>
        <source>The database file is read-only, so no traffic could be logged.</source>
        <translation>Die Datenbankdatei ist schreibgeschützt, daher könnte kein Verkehr protokolliert werden.</translation>
    </message>
    <message>
        <source>The folder %1 is read-only, so the database cannot be written.</source>
        <translation>Der Ordner %1 ist schreibgeschützt, daher kann die Datenbank nicht geschrieben werden.</translation>
    </message>
</context>
<context>
    <name>DatabaseReset</name>
    <message>
        <source>All DATA will be erased !!!!<byte value="xd"/>
Are you sure ?</source>
        <translation>ALLE DATEN werden gelöscht!!!!<byte value="xd"/>
Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Are you sure ?</source>
        <translation>Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Cleared Database !</source>
        <translation>Datenbank geleert!</translation>
    </message>
    <message>
        <source>Success !</source>
        <translation>Erfolg!</translation>
    </message>
    <message>
        <source>Cleanup failed !</source>
        <translation>Leeren fehlgeschlagen!</translation>
    </message>
    <message>
        <source>Error.</source>
        <translation>Fehler.</translation>
    </message>
</context>
<context>
    <name>DbConnection</name>
    <message>
        <source>The database %1 is not open.</source>
        <translation>Die Datenbank %1 ist nicht geöffnet.</translation>
    </message>
    <message>
        <source>The database %1 was deleted while Zovodazad was running, or moved to another drive.</source>
        <translation>Die Datenbank %1 wurde gelöscht, während Zovodazad lief, oder auf ein anderes Laufwerk verschoben.</translation>
    </message>
    <message>
        <source>The database was moved to %1 while Zovodazad was running. The traffic goes on being logged there until Zovodazad ends; its next start uses %2.</source>
        <translation>Die Datenbank wurde nach %1 verschoben, während Zovodazad lief. Der Verkehr wird dort weiter protokolliert, bis Zovodazad endet; der nächste Start verwendet %2.</translation>
    </message>
    <message>
        <source>The database was moved to %1 while another program was reading it.</source>
        <translation>Die Datenbank wurde nach %1 verschoben, während ein anderes Programm sie las.</translation>
    </message>
</context>
<context>
    <name>FrmAbout</name>
    <message>
        <source>Zovodazad %1
Network traffic monitor

Licence: GNU General Public License, version 3 or later

Database:</source>
        <translation>Zovodazad %1
Netzwerkverkehrsmonitor

Lizenz: GNU General Public License, Version 3 oder später

Datenbank:</translation>
    </message>
    <message>
        <source>Open &amp;Folder</source>
        <translation>&amp;Ordner öffnen</translation>
    </message>
</context>
<context>
    <name>FrmMain</name>
    <message>
        <source>Monitor &amp;On.</source>
        <translation>Monitor &amp;an.</translation>
    </message>
    <message>
        <source>Monitor &amp;Off.</source>
        <translation>Monitor a&amp;us.</translation>
    </message>
    <message>
        <source>In :</source>
        <translation>Ein:</translation>
    </message>
    <message>
        <source>Out :</source>
        <translation>Aus:</translation>
    </message>
    <message>
        <source>Received since the last log row</source>
        <translation>Empfangen seit der letzten Protokollzeile</translation>
    </message>
    <message>
        <source>Sent since the last log row</source>
        <translation>Gesendet seit der letzten Protokollzeile</translation>
    </message>
    <message>
        <source>50 % left - 20 MB Left</source>
        <translation>50 % übrig - 20 MB übrig</translation>
    </message>
    <message>
        <source>Download graph</source>
        <translation>Download-Diagramm</translation>
    </message>
    <message>
        <source>Upload graph</source>
        <translation>Upload-Diagramm</translation>
    </message>
    <message>
        <source>O&amp;ptions</source>
        <translation>&amp;Optionen</translation>
    </message>
    <message>
        <source>&amp;Volume Graphs</source>
        <translation>&amp;Volumendiagramme</translation>
    </message>
    <message>
        <source>&amp;Reset Counters.</source>
        <translation>Zähler &amp;zurücksetzen.</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>Ü&amp;ber</translation>
    </message>
    <message>
        <source>E&amp;xit</source>
        <translation>B&amp;eenden</translation>
    </message>
    <message>
        <source>Hide</source>
        <translation>Ausblenden</translation>
    </message>
    <message>
        <source>No program could open the folder %1.</source>
        <translation>Kein Programm konnte den Ordner %1 öffnen.</translation>
    </message>
    <message>
        <source>Now %1, full height %2</source>
        <translation>Jetzt %1, volle Höhe %2</translation>
    </message>
</context>
<context>
    <name>FrmOptions</name>
    <message>
        <source><byte value="xd"/>
Caution !<byte value="xd"/>
<byte value="xd"/>
When you reset the database,<byte value="xd"/>
all data is cleared.<byte value="xd"/>
The data can not be recovered.</source>
        <translation><byte value="xd"/>
Achtung!<byte value="xd"/>
<byte value="xd"/>
Wenn Sie die Datenbank zurücksetzen,<byte value="xd"/>
werden alle Daten gelöscht.<byte value="xd"/>
Sie lassen sich nicht wiederherstellen.</translation>
    </message>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Adapters</source>
        <translation>Adapter</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Volume Left</source>
        <translation>Restvolumen</translation>
    </message>
    <message>
        <source>Options.</source>
        <translation>Optionen.</translation>
    </message>
    <message>
        <source>Select Adapter(s) to be logged :</source>
        <translation>Zu protokollierende Adapter wählen:</translation>
    </message>
    <message>
        <source>General Options - Export Logs.</source>
        <translation>Allgemeine Optionen - Protokolle exportieren.</translation>
    </message>
    <message>
        <source>Log and Reset Counters before showing Graphs.</source>
        <translation>Vor dem Anzeigen der Diagramme protokollieren und Zähler zurücksetzen.</translation>
    </message>
    <message>
        <source>Show Kbps/s - Mbps/s iso kBps.</source>
        <translation>Kbps/s - Mbps/s statt kBps anzeigen.</translation>
    </message>
    <message>
        <source>Show volume left on Monitor window.</source>
        <translation>Restvolumen im Monitorfenster anzeigen.</translation>
    </message>
    <message>
        <source>Export logs to CSV :</source>
        <translation>Protokolle als CSV exportieren:</translation>
    </message>
    <message>
        <source>Export Log :</source>
        <translation>Protokoll:</translation>
    </message>
    <message>
        <source>Per Day (MB)</source>
        <translation>Pro Tag (MB)</translation>
    </message>
    <message>
        <source>Per Week (GB)</source>
        <translation>Pro Woche (GB)</translation>
    </message>
    <message>
        <source>Per Month (GB)</source>
        <translation>Pro Monat (GB)</translation>
    </message>
    <message>
        <source>Per Year (GB)</source>
        <translation>Pro Jahr (GB)</translation>
    </message>
    <message>
        <source>Browse</source>
        <translation>Durchsuchen</translation>
    </message>
    <message>
        <source>Export !</source>
        <translation>Exportieren!</translation>
    </message>
    <message>
        <source>Start Zovodazad when I log in.</source>
        <translation>Zovodazad bei der Anmeldung starten.</translation>
    </message>
    <message>
        <source>Draw the graphs in blue and orange.</source>
        <translation>Diagramme in Blau und Orange zeichnen.</translation>
    </message>
    <message>
        <source>The icon shows :</source>
        <translation>Das Symbol zeigt:</translation>
    </message>
    <message>
        <source>The program&apos;s picture</source>
        <translation>Das Programmbild</translation>
    </message>
    <message>
        <source>A graph of the last seconds</source>
        <translation>Ein Diagramm der letzten Sekunden</translation>
    </message>
    <message>
        <source>The download rate</source>
        <translation>Die Download-Rate</translation>
    </message>
    <message>
        <source>Clear Database</source>
        <translation>Datenbank leeren</translation>
    </message>
    <message>
        <source>Maximum volume allowed (MB) :</source>
        <translation>Höchstens erlaubtes Volumen (MB):</translation>
    </message>
    <message>
        <source>Track volume during last :</source>
        <translation>Volumen verfolgen während der letzten:</translation>
    </message>
    <message>
        <source>Day(s)</source>
        <translation>Tag(e)</translation>
    </message>
    <message>
        <source>Week(s)</source>
        <translation>Woche(n)</translation>
    </message>
    <message>
        <source>Month(s)-%1/mm</source>
        <translation>Monat(e) ab dem %1.</translation>
    </message>
    <message>
        <source>Billing day of the month :</source>
        <translation>Abrechnungstag im Monat:</translation>
    </message>
    <message>
        <source>Notify at 30 %, 15 % and 0 % left.</source>
        <translation>Bei 30 %, 15 % und 0 % Rest benachrichtigen.</translation>
    </message>
    <message>
        <source>Starting from</source>
        <translation>Ab</translation>
    </message>
    <message>
        <source>Count the traffic of :</source>
        <translation>Verkehr zählen von:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>All counted adapters</source>
        <translation>Alle gezählten Adapter</translation>
    </message>
    <message>
        <source>!!! CAUTION !!!</source>
        <translation>!!! ACHTUNG !!!</translation>
    </message>
    <message>
        <source>Starting from %1</source>
        <translation>Ab %1</translation>
    </message>
    <message>
        <source>These settings could not be saved: %1.<byte value="xd"/>
The database reported: %2</source>
        <translation>Diese Einstellungen konnten nicht gespeichert werden: %1.<byte value="xd"/>
Die Datenbank meldete: %2</translation>
    </message>
    <message>
        <source>Select the Directory where the CSV Files have to be saved.</source>
        <translation>Wählen Sie den Ordner, in dem die CSV-Dateien gespeichert werden sollen.</translation>
    </message>
    <message>
        <source>%1 could not be changed: %2</source>
        <translation>%1 konnte nicht geändert werden: %2</translation>
    </message>
    <message>
        <source>%1 was changed by hand. Replace it with Zovodazad&apos;s own entry?</source>
        <translation>%1 wurde von Hand geändert. Durch den Eintrag von Zovodazad ersetzen?</translation>
    </message>
    <message>
        <source>%1 was changed by hand. Remove it?</source>
        <translation>%1 wurde von Hand geändert. Entfernen?</translation>
    </message>
    <message>
        <source>Export the traffic of :</source>
        <translation>Verkehr exportieren von:</translation>
    </message>
</context>
<context>
    <name>FrmStats</name>
    <message>
        <source>Wk %1</source>
        <translation>KW %1</translation>
    </message>
    <message>
        <source>Upload</source>
        <translation>Upload</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Download</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>Gesamt</translation>
    </message>
    <message>
        <source>Week %1, %2</source>
        <translation>KW %1, %2</translation>
    </message>
    <message>
        <source>Stack</source>
        <translation>Stapeln</translation>
    </message>
    <message>
        <source>Show:</source>
        <translation>Zeigen:</translation>
    </message>
    <message>
        <source>No traffic logged in this period.</source>
        <translation>In diesem Zeitraum wurde kein Verkehr protokolliert.</translation>
    </message>
    <message>
        <source>&lt; &amp;Earlier</source>
        <translation>&lt; &amp;Früher</translation>
    </message>
    <message>
        <source>&amp;Later &gt;</source>
        <translation>&amp;Später &gt;</translation>
    </message>
    <message>
        <source>&amp;Now</source>
        <translation>&amp;Jetzt</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Kopieren</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>Zovodazad, Keeps an eye on your downloads...</source>
        <translation>Zovodazad, behält Ihre Downloads im Blick ...</translation>
    </message>
    <message>
        <source>&amp;Table</source>
        <translation>&amp;Tabelle</translation>
    </message>
    <message>
        <source>Earlier periods (Page Up)</source>
        <translation>Frühere Zeiträume (Bild auf)</translation>
    </message>
    <message>
        <source>Later periods (Page Down)</source>
        <translation>Spätere Zeiträume (Bild ab)</translation>
    </message>
    <message>
        <source>Chart dimensions</source>
        <translation>Diagrammdimensionen</translation>
    </message>
    <message>
        <source>Adapter</source>
        <translation>Adapter</translation>
    </message>
    <message>
        <source>Chart type</source>
        <translation>Diagrammart</translation>
    </message>
    <message>
        <source>Volume chart</source>
        <translation>Volumendiagramm</translation>
    </message>
    <message>
        <source>3D</source>
        <translation>3D</translation>
    </message>
    <message>
        <source>2D</source>
        <translation>2D</translation>
    </message>
    <message>
        <source>Area</source>
        <translation>Fläche</translation>
    </message>
    <message>
        <source>Line</source>
        <translation>Linie</translation>
    </message>
    <message>
        <source>Bars</source>
        <translation>Balken</translation>
    </message>
    <message>
        <source>Volume Per Day (MB)</source>
        <translation>Volumen pro Tag (MB)</translation>
    </message>
    <message>
        <source>Volume Per Week (GB)</source>
        <translation>Volumen pro Woche (GB)</translation>
    </message>
    <message>
        <source>Volume Per Month (GB)</source>
        <translation>Volumen pro Monat (GB)</translation>
    </message>
    <message>
        <source>Volume Per Year (GB)</source>
        <translation>Volumen pro Jahr (GB)</translation>
    </message>
    <message>
        <source>The traffic log could not be read:
%1</source>
        <translation>Das Verkehrsprotokoll konnte nicht gelesen werden:
%1</translation>
    </message>
    <message>
        <source>Not recorded per adapter in this period.</source>
        <translation>In diesem Zeitraum nicht je Adapter aufgezeichnet.</translation>
    </message>
    <message>
        <source>Not recorded per adapter before %1.</source>
        <translation>Vor %1 nicht je Adapter aufgezeichnet.</translation>
    </message>
    <message>
        <source>All counted adapters</source>
        <translation>Alle gezählten Adapter</translation>
    </message>
    <message>
        <source>Received: %1</source>
        <translation>Empfangen: %1</translation>
    </message>
    <message>
        <source>Sent: %1</source>
        <translation>Gesendet: %1</translation>
    </message>
    <message>
        <source>Total: %1</source>
        <translation>Gesamt: %1</translation>
    </message>
    <message>
        <source>Estimate at the month&apos;s end: %1</source>
        <translation>Schätzung zum Monatsende: %1</translation>
    </message>
    <message>
        <source>Period</source>
        <translation>Zeitraum</translation>
    </message>
    <message>
        <source>Received (%1)</source>
        <translation>Empfangen (%1)</translation>
    </message>
    <message>
        <source>Sent (%1)</source>
        <translation>Gesendet (%1)</translation>
    </message>
    <message>
        <source>Total (%1)</source>
        <translation>Gesamt (%1)</translation>
    </message>
</context>
<context>
    <name>InstanceLock</name>
    <message>
        <source>%1 is too long a name for a socket&apos;s folder.</source>
        <translation>%1 ist als Name für den Ordner eines Sockets zu lang.</translation>
    </message>
    <message>
        <source>%1 is a symbolic link, not a folder.</source>
        <translation>%1 ist eine symbolische Verknüpfung, kein Ordner.</translation>
    </message>
    <message>
        <source>%1 is not a folder.</source>
        <translation>%1 ist kein Ordner.</translation>
    </message>
    <message>
        <source>%1 belongs to another user (uid %2).</source>
        <translation>%1 gehört einem anderen Benutzer (UID %2).</translation>
    </message>
    <message>
        <source>%1 is open to other users (mode %2).</source>
        <translation>%1 ist für andere Benutzer offen (Modus %2).</translation>
    </message>
    <message>
        <source>it is held by process %1 of this user</source>
        <translation>er wird von Prozess %1 dieses Benutzers belegt</translation>
    </message>
    <message>
        <source>it is held by process %1 of another user (uid %2)</source>
        <translation>er wird von Prozess %1 eines anderen Benutzers belegt (UID %2)</translation>
    </message>
    <message>
        <source>The name %1 cannot be used: %2.</source>
        <translation>Der Name %1 kann nicht verwendet werden: %2.</translation>
    </message>
    <message>
        <source>Zovodazad cannot be reached by a second start, which will only say that it is already running.</source>
        <translation>Zovodazad ist für einen zweiten Start nicht erreichbar; dieser meldet nur, dass es bereits läuft.</translation>
    </message>
    <message>
        <source>A second start reaches Zovodazad at %1.</source>
        <translation>Ein zweiter Start erreicht Zovodazad unter %1.</translation>
    </message>
    <message>
        <source> and </source>
        <translation> und </translation>
    </message>
    <message>
        <source>Not every name for reaching the running Zovodazad could be used:
%1
%2</source>
        <translation>Nicht jeder Name, unter dem das laufende Zovodazad erreichbar ist, konnte verwendet werden:
%1
%2</translation>
    </message>
</context>
<context>
    <name>LogChart</name>
    <message>
        <source>3-D charts need OpenGL, which is not available; drawn flat.</source>
        <translation>3D-Diagramme brauchen OpenGL, das nicht verfügbar ist; flach gezeichnet.</translation>
    </message>
    <message>
        <source>Estimate</source>
        <translation>Schätzung</translation>
    </message>
</context>
<context>
    <name>LogWriter</name>
    <message>
        <source>The traffic log could not be written:
%1

The traffic is kept and will be written with the next row.</source>
        <translation>Das Verkehrsprotokoll konnte nicht geschrieben werden:
%1

Der Verkehr bleibt erhalten und wird mit der nächsten Zeile geschrieben.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB are not logged.</source>
        <translation>Die letzte Zeile des Verkehrsprotokolls konnte nicht geschrieben werden:
%1

Ihre %2 MB sind nicht protokolliert.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB are kept in %3 and will be logged at the next start.</source>
        <translation>Die letzte Zeile des Verkehrsprotokolls konnte nicht geschrieben werden:
%1

Ihre %2 MB werden in %3 aufbewahrt und beim nächsten Start protokolliert.</translation>
    </message>
    <message>
        <source>The last traffic log row could not be written:
%1

Its %2 MB could not be kept either (%3); the next start logs the traffic up to the last save of the period.</source>
        <translation>Die letzte Zeile des Verkehrsprotokolls konnte nicht geschrieben werden:
%1

Ihre %2 MB konnten auch nicht aufbewahrt werden (%3); der nächste Start protokolliert den Verkehr bis zur letzten Sicherung des Zeitraums.</translation>
    </message>
</context>
<context>
    <name>MainMdl</name>
    <message>
        <source>Database Init Error!<byte value="xd"/>%1</source>
        <translation>Fehler beim Öffnen der Datenbank!<byte value="xd"/>%1</translation>
    </message>
</context>
<context>
    <name>PeriodJournal</name>
    <message>
        <source>Traffic kept aside by an earlier run could not be read:
%1
It is not logged, and %2 is left as it is. This run&apos;s traffic is saved as usual.</source>
        <translation>Von einem früheren Lauf beiseitegelegter Verkehr konnte nicht gelesen werden:
%1
Er wird nicht protokolliert, und %2 bleibt unverändert. Der Verkehr dieses Laufs wird wie üblich gesichert.</translation>
    </message>
    <message>
        <source>Not all of %1 could be logged.</source>
        <translation>Nicht alles aus %1 konnte protokolliert werden.</translation>
    </message>
    <message numerus="yes">
        <source>Lines that are damaged, cut short or dated ahead of the clock: %n.</source>
        <translation>
            <numerusform>Beschädigte, abgeschnittene oder in der Zukunft datierte Zeile: %n.</numerusform>
            <numerusform>Beschädigte, abgeschnittene oder in der Zukunft datierte Zeilen: %n.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>It is longer than any run leaves: what lies past its first %n lines or %1 KiB is not read.</source>
        <translation>
            <numerusform>Sie ist länger, als ein Lauf sie hinterlässt: Was nach %n Zeile oder %1 KiB folgt, wird nicht gelesen.</numerusform>
            <numerusform>Sie ist länger, als ein Lauf sie hinterlässt: Was nach %n Zeilen oder %1 KiB folgt, wird nicht gelesen.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Lines logged: %n.</source>
        <translation>
            <numerusform>Protokollierte Zeile: %n.</numerusform>
            <numerusform>Protokollierte Zeilen: %n.</numerusform>
        </translation>
    </message>
    <message>
        <source>The whole file is kept as %1.</source>
        <translation>Die ganze Datei wird als %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The file is left as it is: it could not be renamed to %1 (%2).</source>
        <translation>Die Datei bleibt unverändert: Sie konnte nicht in %1 umbenannt werden (%2).</translation>
    </message>
</context>
<context>
    <name>Readouts</name>
    <message>
        <source> (Avg: %1 - Max: %2)</source>
        <translation> (Ø: %1 - Max: %2)</translation>
    </message>
    <message>
        <source>No adapter counted: choose one in Options, Adapters.</source>
        <translation>Kein Adapter gezählt: siehe Optionen, Adapter.</translation>
    </message>
    <message>
        <source>Download: %1, upload: %2</source>
        <translation>Download: %1, Upload: %2</translation>
    </message>
    <message>
        <source>Since the last log row: %1</source>
        <translation>Seit der letzten Protokollzeile: %1</translation>
    </message>
    <message>
        <source>%1: %2 down, %3 up, %4</source>
        <translation>%1: %2 herunter, %3 hoch, %4</translation>
    </message>
    <message>
        <source>Allowance: %1</source>
        <translation>Kontingent: %1</translation>
    </message>
    <message>
        <source>Graph Max: %1</source>
        <translation>Diagramm-Max.: %1</translation>
    </message>
</context>
<context>
    <name>RegularFile</name>
    <message>
        <source>%1 is a folder, not a file.</source>
        <translation>%1 ist ein Ordner, keine Datei.</translation>
    </message>
    <message>
        <source>%1 is not a regular file (it is a pipe, a device or a socket).</source>
        <translation>%1 ist keine reguläre Datei (sondern eine Pipe, ein Gerät oder ein Socket).</translation>
    </message>
</context>
<context>
    <name>Report</name>
    <message>
        <source>received</source>
        <translation>empfangen</translation>
    </message>
    <message>
        <source>sent</source>
        <translation>gesendet</translation>
    </message>
    <message>
        <source>total</source>
        <translation>gesamt</translation>
    </message>
    <message>
        <source>estimate for the month: %1</source>
        <translation>Schätzung für den Monat: %1</translation>
    </message>
    <message>
        <source>today</source>
        <translation>heute</translation>
    </message>
    <message>
        <source>yesterday</source>
        <translation>gestern</translation>
    </message>
    <message>
        <source>this week (from %1)</source>
        <translation>diese Woche (ab %1)</translation>
    </message>
    <message>
        <source>all time (since %1)</source>
        <translation>insgesamt (seit %1)</translation>
    </message>
    <message>
        <source>zovodazad: the settings cannot be read: %1</source>
        <translation>zovodazad: die Einstellungen können nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>zovodazad: the traffic log cannot be read: %1</source>
        <translation>zovodazad: das Verkehrsprotokoll kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>No volume allowance is set (Options, Volume Left).</source>
        <translation>Es ist kein Volumenkontingent festgelegt (Optionen, Restvolumen).</translation>
    </message>
    <message>
        <source>Volume allowance: %1 from %2 to %3</source>
        <translation>Volumenkontingent: %1 vom %2 bis %3</translation>
    </message>
    <message>
        <source>, on %1</source>
        <translation>, auf %1</translation>
    </message>
    <message>
        <source>used:      %1</source>
        <translation>verbraucht: %1</translation>
    </message>
    <message>
        <source>left:      %1 (%2 %), %3</source>
        <translation>übrig:      %1 (%2 %), %3</translation>
    </message>
    <message>
        <source>at this pace, %1 by %2</source>
        <translation>bei diesem Tempo %1 bis %2</translation>
    </message>
    <message>
        <source>about %1 a day until %2</source>
        <translation>etwa %1 pro Tag bis %2</translation>
    </message>
    <message>
        <source>zovodazad: this traffic log has no per-adapter figures: %1</source>
        <translation>zovodazad: dieses Verkehrsprotokoll hat keine Zahlen je Adapter: %1</translation>
    </message>
    <message>
        <source>zovodazad: no traffic is recorded for adapter &apos;%1&apos;; adapters with records: %2</source>
        <translation>zovodazad: für den Adapter „%1“ ist kein Verkehr aufgezeichnet; Adapter mit Aufzeichnungen: %2</translation>
    </message>
    <message>
        <source>none yet</source>
        <translation>noch keine</translation>
    </message>
    <message>
        <source>hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>week</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>year</source>
        <translation>Jahr</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>Adapter rows</source>
        <translation>Adapterzeilen</translation>
    </message>
</context>
<context>
    <name>StatsMain</name>
    <message>
        <source>The traffic log %1 cannot be opened:
%2</source>
        <translation>Das Verkehrsprotokoll %1 lässt sich nicht öffnen:
%2</translation>
    </message>
</context>
<context>
    <name>StatsProcess</name>
    <message>
        <source>The statistics window could not be started: %1 is missing.</source>
        <translation>Das Statistikfenster konnte nicht gestartet werden: %1 fehlt.</translation>
    </message>
    <message>
        <source>The statistics window ended unexpectedly. The traffic is still being logged.</source>
        <translation>Das Statistikfenster wurde unerwartet beendet. Der Verkehr wird weiter protokolliert.</translation>
    </message>
    <message>
        <source>The statistics window could not be started:
%1</source>
        <translation>Das Statistikfenster konnte nicht gestartet werden:
%1</translation>
    </message>
</context>
<context>
    <name>Status</name>
    <message>
        <source>green</source>
        <translation>grün</translation>
    </message>
    <message>
        <source>orange</source>
        <translation>orange</translation>
    </message>
    <message>
        <source>red</source>
        <translation>rot</translation>
    </message>
    <message>
        <source>used up</source>
        <translation>aufgebraucht</translation>
    </message>
    <message>
        <source>download %1, upload %2</source>
        <translation>Download %1, Upload %2</translation>
    </message>
    <message>
        <source>since the last log row %1 received, %2 sent</source>
        <translation>seit der letzten Protokollzeile %1 empfangen, %2 gesendet</translation>
    </message>
    <message>
        <source>allowance %1 (%2 %) left, %3</source>
        <translation>Kontingent %1 (%2 %) übrig, %3</translation>
    </message>
    <message>
        <source>zovodazad: no running copy answers.</source>
        <translation>zovodazad: keine laufende Instanz antwortet.</translation>
    </message>
    <message>
        <source>zovodazad: the running copy ended.</source>
        <translation>zovodazad: die laufende Instanz wurde beendet.</translation>
    </message>
</context>
<context>
    <name>TrafficEngine</name>
    <message>
        <source>The traffic of the last run could not be logged yet:
%1</source>
        <translation>Der Verkehr des letzten Laufs konnte noch nicht protokolliert werden:
%1</translation>
    </message>
    <message>
        <source>The settings could not be read; the defaults are used.
%1</source>
        <translation>Die Einstellungen konnten nicht gelesen werden; die Vorgaben werden verwendet.
%1</translation>
    </message>
</context>
<context>
    <name>VolumeLeft</name>
    <message>
        <source>MB left unknown (log unreadable).</source>
        <translation>Rest in MB unbekannt (Protokoll unlesbar).</translation>
    </message>
    <message>
        <source>%1 MB Left.</source>
        <translation>%1 MB übrig.</translation>
    </message>
    <message>
        <source>%1 MB (%2 %) Left.</source>
        <translation>%1 MB (%2 %) übrig.</translation>
    </message>
    <message>
        <source>Est. %1, %2/day</source>
        <translation>Progn. %1, %2/Tag</translation>
    </message>
    <message>
        <source>At this pace, %1 by %2; about %3 a day until then.</source>
        <translation>Bei diesem Tempo %1 bis %2; bis dahin etwa %3 pro Tag.</translation>
    </message>
</context>
<context>
    <name>Zovodazad</name>
    <message>
        <source>Zovodazad is already running.</source>
        <translation>Zovodazad läuft bereits.</translation>
    </message>
</context>
</TS>
