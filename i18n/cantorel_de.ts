<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>FileListModel</name>
    <message>
        <source>(name not in UTF-8: shown as Windows-1252, saved as its own bytes)</source>
        <translation>(Name nicht in UTF-8: als Windows-1252 angezeigt, mit seinen eigenen Bytes gespeichert)</translation>
    </message>
</context>
<context>
    <name>PlaylistBuilder</name>
    <message>
        <source>Save as m3u file</source>
        <translation>Als M3U-Datei speichern</translation>
    </message>
    <message>
        <source>%1, in the folder Cantorel was started in</source>
        <translation>%1, im Ordner, in dem Cantorel gestartet wurde</translation>
    </message>
    <message>
        <source>The playlist was not saved: it needs a file name.

Type a name such as party.m3u into the file name box, then save again.</source>
        <translation>Die Wiedergabeliste wurde nicht gespeichert, denn sie braucht einen Dateinamen.

Geben Sie einen Namen wie party.m3u in das Dateinamenfeld ein und speichern Sie erneut.</translation>
    </message>
    <message>
        <source>The playlist was not saved.

%1

%2</source>
        <translation>Die Wiedergabeliste wurde nicht gespeichert.

%1

%2</translation>
    </message>
    <message>
        <source>Saved</source>
        <translation>Gespeichert</translation>
    </message>
    <message>
        <source>%1 filename:</source>
        <comment>the format&apos;s extension, then the file name box&apos;s caption</comment>
        <translation>%1-Dateiname:</translation>
    </message>
</context>
<context>
    <name>SaveProgress</name>
    <message>
        <source>Saving the playlist to
%1</source>
        <translation>Die Wiedergabeliste wird gespeichert unter
%1</translation>
    </message>
    <message>
        <source>Saving</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Saving the playlist</source>
        <translation>Die Wiedergabeliste wird gespeichert</translation>
    </message>
    <message>
        <source>Stopping the save; the file is being left as it was…</source>
        <translation>Das Speichern wird abgebrochen; die Datei bleibt, wie sie war…</translation>
    </message>
</context>
<context>
    <name>SaveResultText</name>
    <message>
        <source>the system took no more bytes</source>
        <translation>das System hat keine weiteren Bytes angenommen</translation>
    </message>
    <message>
        <source>The folder cannot be used</source>
        <translation>Der Ordner kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>The name cannot be used</source>
        <translation>Der Name kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>The link cannot be followed</source>
        <translation>Der Verknüpfung kann nicht gefolgt werden</translation>
    </message>
    <message>
        <source>The file cannot be changed</source>
        <translation>Die Datei kann nicht geändert werden</translation>
    </message>
    <message>
        <source>The file could not be opened for writing</source>
        <translation>Die Datei konnte nicht zum Schreiben geöffnet werden</translation>
    </message>
    <message>
        <source>The file could not be locked</source>
        <translation>Die Datei konnte nicht gesperrt werden</translation>
    </message>
    <message>
        <source>The file could not be examined</source>
        <translation>Die Datei konnte nicht untersucht werden</translation>
    </message>
    <message>
        <source>The file could not be read to check what it holds</source>
        <translation>Die Datei konnte nicht gelesen werden, um ihren Inhalt zu prüfen</translation>
    </message>
    <message>
        <source>A new file could not be made in the folder</source>
        <translation>Im Ordner konnte keine neue Datei angelegt werden</translation>
    </message>
    <message>
        <source>The new file could not be examined</source>
        <translation>Die neue Datei konnte nicht untersucht werden</translation>
    </message>
    <message>
        <source>The new file could not be given its permissions</source>
        <translation>Die neue Datei konnte ihre Zugriffsrechte nicht erhalten</translation>
    </message>
    <message>
        <source>The file&apos;s permissions could not be kept</source>
        <translation>Die Zugriffsrechte der Datei konnten nicht beibehalten werden</translation>
    </message>
    <message>
        <source>Writing the playlist failed</source>
        <translation>Das Schreiben der Wiedergabeliste ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Writing the playlist to the disk failed</source>
        <translation>Das Schreiben der Wiedergabeliste auf den Datenträger ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Closing the playlist failed</source>
        <translation>Das Schließen der Wiedergabeliste ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>Closing the new playlist failed</source>
        <translation>Das Schließen der neuen Wiedergabeliste ist fehlgeschlagen</translation>
    </message>
    <message>
        <source>The new playlist could not be put in place</source>
        <translation>Die neue Wiedergabeliste konnte nicht an ihren Platz gebracht werden</translation>
    </message>
    <message>
        <source>The folder could not be written to the disk, so the new playlist was removed again</source>
        <translation>Der Ordner konnte nicht auf den Datenträger geschrieben werden, daher wurde die neue Wiedergabeliste wieder entfernt</translation>
    </message>
    <message>
        <source>The new playlist is in place, but the folder could not be written to the disk, so it may be lost in a power cut</source>
        <translation>Die neue Wiedergabeliste ist an ihrem Platz, aber der Ordner konnte nicht auf den Datenträger geschrieben werden; bei einem Stromausfall kann sie verloren gehen</translation>
    </message>
    <message>
        <source>The old content could not be read to keep a copy</source>
        <translation>Der alte Inhalt konnte nicht gelesen werden, um eine Kopie aufzubewahren</translation>
    </message>
    <message>
        <source>&quot;%1&quot; names a folder, not a file.</source>
        <translation>„%1“ bezeichnet einen Ordner, keine Datei.</translation>
    </message>
    <message>
        <source>The name holds a control character or a line break, which a file name of a playlist may not hold.</source>
        <translation>Der Name enthält ein Steuerzeichen oder einen Zeilenumbruch, die der Dateiname einer Wiedergabeliste nicht enthalten darf.</translation>
    </message>
    <message>
        <source>The name holds &quot;%1&quot;: a playlist is saved into the listed folder, so its name cannot lead into another folder.</source>
        <translation>Der Name enthält „%1“: Eine Wiedergabeliste wird im angezeigten Ordner gespeichert, daher kann ihr Name nicht in einen anderen Ordner führen.</translation>
    </message>
    <message>
        <source>The name holds a character that cannot be stored in a file name.</source>
        <translation>Der Name enthält ein Zeichen, das sich in einem Dateinamen nicht speichern lässt.</translation>
    </message>
    <message>
        <source>A folder of that name is in the way.</source>
        <translation>Es gibt schon einen Ordner mit diesem Namen.</translation>
    </message>
    <message>
        <source>The name belongs to a named pipe, not to a file.</source>
        <translation>Der Name gehört zu einer benannten Pipe, nicht zu einer Datei.</translation>
    </message>
    <message>
        <source>The name belongs to a socket, not to a file.</source>
        <translation>Der Name gehört zu einem Socket, nicht zu einer Datei.</translation>
    </message>
    <message>
        <source>The name belongs to a device, not to a file.</source>
        <translation>Der Name gehört zu einem Gerät, nicht zu einer Datei.</translation>
    </message>
    <message>
        <source>The name belongs to something other than a file.</source>
        <translation>Der Name gehört zu etwas anderem als einer Datei.</translation>
    </message>
    <message>
        <source>The name is a link to %1, which does not exist.</source>
        <translation>Der Name ist eine Verknüpfung auf %1, das es nicht gibt.</translation>
    </message>
    <message>
        <source>The name is a link to the media file %1, which a playlist never overwrites.</source>
        <translation>Der Name ist eine Verknüpfung auf die Mediendatei %1, die eine Wiedergabeliste nie überschreibt.</translation>
    </message>
    <message>
        <source>The name belongs to a media file, which a playlist never overwrites.</source>
        <translation>Der Name gehört zu einer Mediendatei, die eine Wiedergabeliste nie überschreibt.</translation>
    </message>
    <message>
        <source>The file is read-only.</source>
        <translation>Die Datei ist schreibgeschützt.</translation>
    </message>
    <message>
        <source>The file looks like a media file (%1), not a playlist, and a playlist never overwrites one.</source>
        <translation>Die Datei sieht wie eine Mediendatei aus (%1), nicht wie eine Wiedergabeliste, und eine Wiedergabeliste überschreibt nie eine Mediendatei.</translation>
    </message>
    <message>
        <source>The file holds binary data, not a playlist, and a playlist never overwrites it.</source>
        <translation>Die Datei enthält Binärdaten, keine Wiedergabeliste, und eine Wiedergabeliste überschreibt sie nie.</translation>
    </message>
    <message>
        <source>Another program is writing the file: it stayed locked for %1 seconds. Save again once it is done.</source>
        <translation>Die Datei blieb %1 Sekunden lang gesperrt, weil ein anderes Programm sie schreibt. Speichern Sie erneut, wenn es fertig ist.</translation>
    </message>
    <message>
        <source>Another program is reading or using the file: it stayed locked for %1 seconds. Save again once it is done.</source>
        <translation>Die Datei blieb %1 Sekunden lang gesperrt, weil ein anderes Programm sie liest oder verwendet. Speichern Sie erneut, wenn es fertig ist.</translation>
    </message>
    <message>
        <source>The file was replaced by another one while the playlist was being saved; that one was left alone.</source>
        <translation>Die Datei wurde durch eine andere ersetzt, während die Wiedergabeliste gespeichert wurde; diese wurde nicht angetastet.</translation>
    </message>
    <message>
        <source>Something else was saved under that name while the playlist was being saved; it was left alone.</source>
        <translation>Unter diesem Namen wurde etwas anderes gespeichert, während die Wiedergabeliste gespeichert wurde; es wurde nicht angetastet.</translation>
    </message>
    <message>
        <source>The file is too large to keep a copy of while it is rewritten.</source>
        <translation>Die Datei ist zu groß, um beim Neuschreiben eine Kopie von ihr aufzubewahren.</translation>
    </message>
    <message>
        <source>beside it, an older copy is in the way</source>
        <translation>daneben liegt schon eine ältere Kopie</translation>
    </message>
    <message>
        <source>beside it, %1</source>
        <translation>daneben: %1</translation>
    </message>
    <message>
        <source>in %1, %2</source>
        <translation>in %1: %2</translation>
    </message>
    <message>
        <source>The file is rewritten in place (to keep its links, owner or permissions), and no copy of its old content could be kept meanwhile (%1), so it was left as it was.</source>
        <translation>Die Datei wird an Ort und Stelle neu geschrieben (um ihre Verknüpfungen, ihren Eigentümer oder ihre Zugriffsrechte zu erhalten), und währenddessen konnte keine Kopie ihres alten Inhalts aufbewahrt werden (%1); daher blieb sie, wie sie war.</translation>
    </message>
    <message>
        <source>; </source>
        <translation>; </translation>
    </message>
    <message>
        <source>%1: %2.</source>
        <translation>%1: %2.</translation>
    </message>
    <message>
        <source>%1.</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>The file still holds its old content.</source>
        <translation>Die Datei enthält weiterhin ihren alten Inhalt.</translation>
    </message>
    <message>
        <source>Its old content could not be put back (%1): the file is damaged. Its whole old content is kept in %2.</source>
        <translation>Ihr alter Inhalt konnte nicht zurückgeschrieben werden (%1): Die Datei ist beschädigt. Ihr gesamter alter Inhalt ist in %2 aufbewahrt.</translation>
    </message>
    <message>
        <source>An older copy of this file, left by a save that was cut off, is kept in %1.</source>
        <translation>Eine ältere Kopie dieser Datei, die ein abgebrochenes Speichern hinterlassen hat, ist in %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>Older copies of this file, left by saves that were cut off, are kept in %1.</source>
        <translation>Ältere Kopien dieser Datei, die abgebrochene Speichervorgänge hinterlassen haben, sind in %1 aufbewahrt.</translation>
    </message>
    <message>
        <source>The name is a link made by %1 in a folder that others may write to; such links are not followed, so that no one can make you overwrite a file of yours.</source>
        <translation>Der Name ist eine Verknüpfung, die %1 in einem Ordner angelegt hat, in den auch andere schreiben dürfen; solchen Verknüpfungen wird nicht gefolgt, damit niemand Sie dazu bringen kann, eine Ihrer Dateien zu überschreiben.</translation>
    </message>
    <message>
        <source>The folder could not be written to the disk (%1), and the new playlist could not be removed again (%2): whether the folder still holds it after a restart is not known.</source>
        <translation>Der Ordner konnte nicht auf die Festplatte geschrieben werden (%1), und die neue Wiedergabeliste konnte nicht wieder entfernt werden (%2): Ob der Ordner sie nach einem Neustart noch enthält, ist nicht bekannt.</translation>
    </message>
    <message>
        <source>%1 in the folder Cantorel was started in</source>
        <translation>%1 im Ordner, in dem Cantorel gestartet wurde</translation>
    </message>
    <message>
        <source>A copy of a file of this name, left by a save that was cut off in a folder of this same path (perhaps this folder, on a disk attached again), is kept in %1.</source>
        <translation>Eine Kopie einer Datei dieses Namens, die ein abgebrochenes Speichern in einem Ordner mit demselben Pfad hinterlassen hat (vielleicht in diesem Ordner, auf einem wieder angeschlossenen Datenträger), liegt in %1.</translation>
    </message>
    <message>
        <source>WAV or AVI</source>
        <translation>WAV oder AVI</translation>
    </message>
    <message>
        <source>MPEG audio</source>
        <translation>MPEG-Audio</translation>
    </message>
    <message>
        <source>WMA or WMV</source>
        <translation>WMA oder WMV</translation>
    </message>
    <message>
        <source>MPEG video</source>
        <translation>MPEG-Video</translation>
    </message>
    <message>
        <source>Matroska or WebM</source>
        <translation>Matroska oder WebM</translation>
    </message>
    <message>
        <source>Flash video (FLV)</source>
        <translation>Flash-Video (FLV)</translation>
    </message>
    <message>
        <source>The save was cancelled before it ended.</source>
        <translation>Das Speichern wurde abgebrochen, bevor es fertig war.</translation>
    </message>
    <message>
        <source>Nothing was changed in the folder.</source>
        <translation>Im Ordner wurde nichts geändert.</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>The start-up picture; press it to continue to the playlist maker</source>
        <translation>Das Startbild; wird es betätigt, geht es weiter zum Erstellen der Wiedergabeliste</translation>
    </message>
</context>
<context>
    <name>frmmain</name>
    <message>
        <source>Playlist maker</source>
        <translation>Wiedergabeliste erstellen</translation>
    </message>
    <message>
        <source>m3u</source>
        <translation>m3u</translation>
    </message>
    <message>
        <source>Media files</source>
        <translation>Mediendateien</translation>
    </message>
    <message>
        <source>The media files of the folder; picking one adds it to the playlist</source>
        <translation>Die Mediendateien des Ordners; jede ausgewählte kommt in die Wiedergabeliste</translation>
    </message>
    <message>
        <source>The media files of %1, where playlists are saved; picking one adds it to the playlist</source>
        <translation>Die Mediendateien in %1, wo Wiedergabelisten gespeichert werden; jede ausgewählte kommt in die Wiedergabeliste</translation>
    </message>
    <message>
        <source>The media files of %1
Playlists are saved into this folder.</source>
        <translation>Die Mediendateien in %1
Wiedergabelisten werden in diesem Ordner gespeichert.</translation>
    </message>
    <message>
        <source>the folder Cantorel was started in</source>
        <translation>dem Ordner, in dem Cantorel gestartet wurde</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>The playlist&apos;s text, one picked file per line; it may be edited</source>
        <translation>Der Text der Wiedergabeliste, eine gewählte Datei pro Zeile; er darf bearbeitet werden</translation>
    </message>
    <message>
        <source>Playlist file name</source>
        <translation>Dateiname der Wiedergabeliste</translation>
    </message>
    <message>
        <source>The name the playlist is saved under in the listed folder</source>
        <translation>Der Name, unter dem die Wiedergabeliste im angezeigten Ordner gespeichert wird</translation>
    </message>
    <message>
        <source>M3U format</source>
        <translation>M3U-Format</translation>
    </message>
    <message>
        <source>Checking it makes the file name end in .m3u and starts the playlist anew</source>
        <translation>Ankreuzen lässt den Dateinamen auf .m3u enden und beginnt die Wiedergabeliste neu</translation>
    </message>
    <message>
        <source>Save playlist</source>
        <translation>Wiedergabeliste speichern</translation>
    </message>
    <message>
        <source>Saves the playlist into the listed folder under the typed name</source>
        <translation>Speichert die Wiedergabeliste unter dem eingegebenen Namen im angezeigten Ordner</translation>
    </message>
    <message>
        <source>Reset playlist</source>
        <translation>Wiedergabeliste zurücksetzen</translation>
    </message>
    <message>
        <source>Empties the playlist and starts it anew</source>
        <translation>Leert die Wiedergabeliste und beginnt sie neu</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>Leaves the program at once, without saving</source>
        <translation>Beendet das Programm sofort, ohne zu speichern</translation>
    </message>
    <message>
        <source>Reading the folder…
Media files found so far: %1</source>
        <translation>Der Ordner wird gelesen…
Bisher gefundene Mediendateien: %1</translation>
    </message>
    <message>
        <source>This folder cannot be read: %1.</source>
        <translation>Dieser Ordner kann nicht gelesen werden: %1.</translation>
    </message>
</context>
</TS>
