#pragma once

#include <QString>

// Nothing in the client calls this yet; it is kept for sharing route lists with the app group.
// Copies two route lists from text files in the user's Documents folder into the shared
// app-group defaults: "china_ip_list.txt" under "iplist", then "node_routes.txt" under
// "nodelist", each as the file's lines (split at line feeds, empty lines kept). When the first
// file cannot be read nothing is written; when the second cannot, only "iplist" is.
class HLLDealWithRoutesConfig
{
public:
    // Schedules the copy on a worker thread and returns at once.
    static void getWhiteIp();
    // The copy itself, from `documentsFolder`, on the caller's thread.
    static void copyRouteLists(const QString &documentsFolder);
    static QString documentsFolder();

private:
    HLLDealWithRoutesConfig() = delete;
};
